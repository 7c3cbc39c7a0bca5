-- Company database: the BaseLinker log, the ERP documents and the e-Factura
-- messages, with the stored functions that fill them.

create table if not exists config_baselinker (
    id       serial primary key,
    base_url text not null,
    token    text not null
);

create table if not exists log_baselinker_fact (
    id_doc        bigint not null primary key,
    json_doc      text,
    json_doc_date date,
    json_doc_tip  text,
    json_doc_nr   text,
    json_cmd_c    text,
    err_ins_tresk text,
    data_log      timestamp not null default localtimestamp(0)
);
create index if not exists log_baselinker_fact_date on log_baselinker_fact (json_doc_date);
create index if not exists log_baselinker_fact_no_cmd on log_baselinker_fact (id_doc) where json_cmd_c is null;

create table if not exists log_baselinker (
    id_cmd                bigint not null primary key,
    json_cmd              text,
    data_confirmare_cmd_c timestamp,
    data_log              timestamp not null default localtimestamp(0)
);

create table if not exists doc (
    data_doc                date not null,
    tip_doc                 varchar(7) not null,
    nr_doc                  varchar(15) not null,
    partener                varchar(100),
    data_stoc               timestamp,
    da_nu_scazut_total_stoc boolean not null default false,
    magazie_sursa           varchar(5),
    emitent                 varchar(100),
    valoare                 numeric(14, 2),
    moneda                  varchar(3),
    id_baselinker           bigint,
    primary key (data_doc, tip_doc, nr_doc)
);

create table if not exists anaf_e_fact_msg_toate (
    id                  serial primary key,
    data_doc_xml        date,
    nr_doc_xml          text,
    msg_id              text,
    msg_index_incarcare text,
    msg_tip             text,
    msg_data_creare     timestamp
);
create index if not exists anaf_e_fact_msg_toate_doc on anaf_e_fact_msg_toate (data_doc_xml, nr_doc_xml);

-- BaseLinker sends ids and times as numbers or as numeric texts.
create or replace function o_baselinker_json_bigint(v json) returns bigint
language sql immutable as $$
    select case
        when json_typeof(v) = 'number' then (v::text)::numeric::bigint
        when json_typeof(v) = 'string' and (v #>> '{}') ~ '^\s*-?[0-9]+\s*$' then trim(v #>> '{}')::bigint
        else null
    end
$$;

-- Logs the invoices of one getInvoices reply; returns how many were new.
create or replace function o_baselinker_fact_log_ins(pjson text, out pnrfactinslog integer)
language plpgsql as $$
declare
    reply json;
    inv json;
    vid bigint;
    vdate bigint;
    n integer;
begin
    pnrfactinslog := 0;
    begin
        reply := pjson::json;
    exception when others then
        raise exception 'o_baselinker_fact_log_ins: raspunsul nu este JSON valid';
    end;
    if json_typeof(reply) <> 'object' or json_typeof(reply -> 'invoices') is distinct from 'array' then
        return;     -- an ERROR reply carries no invoices
    end if;
    for inv in select * from json_array_elements(reply -> 'invoices') loop
        vid := o_baselinker_json_bigint(inv -> 'invoice_id');
        if vid is null then
            raise exception 'o_baselinker_fact_log_ins: factura fara invoice_id: %', left(inv::text, 200);
        end if;
        vdate := coalesce(o_baselinker_json_bigint(inv -> 'date_add'), o_baselinker_json_bigint(inv -> 'date_sell'));
        insert into log_baselinker_fact (id_doc, json_doc, json_doc_date, json_doc_tip, json_doc_nr)
        values (vid, inv::text, to_timestamp(vdate)::date, 'FactCI', inv ->> 'number')
        on conflict (id_doc) do nothing;
        get diagnostics n = row_count;
        pnrfactinslog := pnrfactinslog + n;
    end loop;
end
$$;

-- Logs the orders of one getOrders reply; returns how many were new.
create or replace function o_baselinker_log_ins(pjson text, out pnrcmdins integer)
language plpgsql as $$
declare
    reply json;
    ord json;
    vid bigint;
    n integer;
begin
    pnrcmdins := 0;
    begin
        reply := pjson::json;
    exception when others then
        raise exception 'o_baselinker_log_ins: raspunsul nu este JSON valid';
    end;
    if json_typeof(reply) <> 'object' or json_typeof(reply -> 'orders') is distinct from 'array' then
        return;
    end if;
    for ord in select * from json_array_elements(reply -> 'orders') loop
        vid := o_baselinker_json_bigint(ord -> 'order_id');
        if vid is null then
            raise exception 'o_baselinker_log_ins: comanda fara order_id: %', left(ord::text, 200);
        end if;
        insert into log_baselinker (id_cmd, json_cmd, data_confirmare_cmd_c)
        values (vid, ord::text, to_timestamp(o_baselinker_json_bigint(ord -> 'date_confirmed'))::timestamp)
        on conflict (id_cmd) do nothing;
        get diagnostics n = row_count;
        pnrcmdins := pnrcmdins + n;
    end loop;
end
$$;

-- Makes the ERP document of one logged invoice on behalf of an operator.
create or replace function o_baselinker_fact_tresk_ins(piddoc bigint, pemitent text)
returns table (data_doc date, tip_doc varchar, nr_doc varchar)
language plpgsql as $$
declare
    f log_baselinker_fact%rowtype;
    inv json;
    ord json;
    vpartener text;
    vnr varchar(15);
begin
    select * into f from log_baselinker_fact where id_doc = piddoc;
    if not found then
        raise exception 'Factura BaseLinker % nu exista in log_baselinker_fact', piddoc;
    end if;
    if f.json_cmd_c is null or f.json_cmd_c = '' then
        raise exception 'Factura % (id %) nu are comanda preluata din BaseLinker', f.json_doc_nr, piddoc;
    end if;
    if not exists (select 1 from emitent where emitent.emitent = pemitent) then
        raise exception 'Operatorul % nu exista', coalesce(pemitent, '(null)');
    end if;
    inv := f.json_doc::json;
    ord := (f.json_cmd_c::json -> 'orders') -> 0;
    if ord is null then
        raise exception 'Comanda facturii % (id %) nu are elemente', f.json_doc_nr, piddoc;
    end if;
    vnr := right(f.json_doc_nr, 15);
    if exists (select 1 from doc d where d.data_doc = f.json_doc_date and d.tip_doc = f.json_doc_tip and d.nr_doc = vnr) then
        raise exception 'Documentul % nr. % din % exista deja in TRESK', f.json_doc_tip, vnr, f.json_doc_date;
    end if;
    vpartener := coalesce(nullif(trim(inv ->> 'invoice_company'), ''), nullif(trim(inv ->> 'invoice_fullname'), ''),
                          nullif(trim(ord ->> 'invoice_company'), ''), nullif(trim(ord ->> 'invoice_fullname'), ''));
    if vpartener is null then
        raise exception 'Factura % (id %) nu are cumparator', f.json_doc_nr, piddoc;
    end if;
    insert into doc (data_doc, tip_doc, nr_doc, partener, data_stoc, da_nu_scazut_total_stoc, magazie_sursa,
                     emitent, valoare, moneda, id_baselinker)
    values (f.json_doc_date, f.json_doc_tip, vnr, left(vpartener, 100), localtimestamp(0), true,
            case when ord ->> 'order_source' = 'personal' then 'M1' else 'EMAG' end,
            pemitent, nullif(inv ->> 'total_price_brutto', '')::numeric, left(inv ->> 'currency', 3), piddoc);
    return query select f.json_doc_date, f.json_doc_tip::varchar, vnr;
end
$$;
