-- Demo company data, made from the stand-in's own invoices and orders so
-- that both tell the same story. Run by scripts/demo with the variables
-- data_file (the stand-in's exported data), base_url and token.
\set data `cat :data_file`

create temp table standin as select :'data'::json as d;

insert into config_baselinker (base_url, token) values (:'base_url', :'token');

-- Invoices logged up to three days ago; the newer ones are left for the
-- first "Preluare facturi din BaseLinker".
select o_baselinker_fact_log_ins(json_build_object('status', 'SUCCESS', 'invoices',
    (select json_agg(i) from standin, json_array_elements(d -> 'invoices') i
     where (i ->> 'date_add')::bigint < extract(epoch from now() - interval '3 days')))::text);

-- Orders already fetched, except the twelve most recent ones.
update log_baselinker_fact f
set json_cmd_c = json_build_object('status', 'SUCCESS', 'orders', s.d -> 'orders' -> (f.json_doc::json ->> 'order_id'))::text
from standin s
where f.json_doc::json ->> 'order_id' is not null
  and f.id_doc not in (select id_doc from log_baselinker_fact order by id_doc desc limit 12);

-- Half of the older invoices are already documents of the ERP...
select count(*)
from log_baselinker_fact f, lateral o_baselinker_fact_tresk_ins(f.id_doc, 'operator')
where f.json_cmd_c is not null and f.json_doc_date < current_date - 10 and f.id_doc % 2 = 0;

-- ...and most of those have been sent to e-Factura.
insert into anaf_e_fact_msg_toate (data_doc_xml, nr_doc_xml, msg_id, msg_index_incarcare, msg_tip, msg_data_creare)
select data_doc, nr_doc, (3100000000 + row_number() over ())::text, (4200000000 + row_number() over ())::text,
       'FACTURA TRIMISA', data_stoc + interval '2 hours'
from doc where tip_doc = 'FactCI' and (extract(day from data_doc)::int % 5) <> 0;

-- One import that the ERP refused.
update log_baselinker_fact
set err_ins_tresk = 'Documentul FactCI nu poate fi creat: partenerul nu are cod fiscal valid'
where id_doc = (select min(id_doc) from log_baselinker_fact f
                where json_cmd_c is not null and json_doc_date < current_date - 10 and id_doc % 2 = 1);
