-- Company database: operators, registered applications and the company record.
create table if not exists emitent (
    emitent          varchar(100) not null primary key,
    operator_parola  varchar(256),
    eu_punct_lucru   varchar(50) not null default 'SEDIU',
    nume_complet     varchar(200)
);

create table if not exists aplicatie_mob (
    aplicatie_mob varchar(100) not null primary key,
    activ         boolean not null default true,
    obs           text
);

create table if not exists aplicatie_mob_emitent (
    aplicatie_mob varchar(100) not null,
    emitent       varchar(100) not null references emitent (emitent),
    rol           text,
    primary key (aplicatie_mob, emitent)
);

create table if not exists eu (
    id      serial primary key,
    denumire text,
    cod_cci text,
    jas_ip  text
);
