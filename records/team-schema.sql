-- The team server's records: every bench's test records in one PostgreSQL database. An
-- administrator runs this once, as the database's owner, on an empty database:
--     psql -v ON_ERROR_STOP=1 -d mx7500 -f team-schema.sql
-- and then makes one login per bench (or per person) in the bench role:
--     CREATE ROLE bench1 LOGIN PASSWORD '...' IN ROLE mx7500_bench;
-- A bench may add records and read them, never change or remove one: records are kept for
-- good, which is also what lets every bench copy them without conflicts.
\set ON_ERROR_STOP on
BEGIN;

-- The layout's version. The program refuses a server of a newer layout than it knows, and
-- leaves it untouched.
CREATE TABLE mx7500_schema (version integer NOT NULL);
INSERT INTO mx7500_schema VALUES (1);

-- One row per record, as the bench that took it keeps it. `id` is made by that bench when it
-- records, so sending a record again adds nothing; `seq` is given here, in the order records
-- are committed, so a bench fetches what it has not seen by asking for what lies above the
-- highest `seq` it holds.
CREATE TABLE records (
    id uuid PRIMARY KEY,
    seq bigint NOT NULL UNIQUE,
    bench text NOT NULL,
    time text NOT NULL,
    time_ms bigint NOT NULL,
    asset text NOT NULL,
    operator text NOT NULL,
    note text NOT NULL,
    rx double precision,
    rtc double precision,
    temperature double precision,
    tempco double precision,
    material text NOT NULL,
    limits_mode text NOT NULL,
    nominal double precision,
    tolerance double precision,
    low double precision,
    high double precision,
    verdict text NOT NULL,
    stable boolean NOT NULL,
    meter_maker text NOT NULL,
    meter_model text NOT NULL,
    meter_serial text NOT NULL,
    meter_firmware text NOT NULL,
    program_version text NOT NULL,
    received timestamptz NOT NULL DEFAULT now()
);
CREATE SEQUENCE records_seq;

-- A sequence number drawn at insert time is committed in any order by concurrent senders: a
-- bench that fetched above 12 while the transaction holding 11 was still open would never
-- see 11. Senders therefore take one lock, held to their commit, before drawing numbers, so
-- that numbers become visible in their order. The number is drawn here, whatever the
-- sender wrote.
CREATE FUNCTION records_number() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    PERFORM pg_advisory_xact_lock(75007500);
    NEW.seq := nextval('records_seq');
    NEW.received := now();
    RETURN NEW;
END $$;
CREATE TRIGGER records_number BEFORE INSERT ON records
    FOR EACH ROW EXECUTE FUNCTION records_number();

-- Wakes the benches listening: they fetch what is new.
CREATE FUNCTION records_notify() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    NOTIFY mx7500_records;
    RETURN NULL;
END $$;
CREATE TRIGGER records_notify AFTER INSERT ON records
    FOR EACH STATEMENT EXECUTE FUNCTION records_notify();

-- Nobody changes a record after the fact, not even the owner by mistake; the bench role is
-- not granted it in the first place.
CREATE FUNCTION records_kept() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
    RAISE EXCEPTION 'test records are never changed or removed';
END $$;
CREATE TRIGGER records_kept BEFORE UPDATE OR DELETE OR TRUNCATE ON records
    FOR EACH STATEMENT EXECUTE FUNCTION records_kept();

CREATE INDEX records_by_asset ON records(asset, time_ms);

-- The benches' role, made once per server (roles belong to the whole server).
DO $$
BEGIN
    IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = 'mx7500_bench') THEN
        CREATE ROLE mx7500_bench NOLOGIN;
    END IF;
END $$;
REVOKE ALL ON records, mx7500_schema, records_seq FROM PUBLIC;
GRANT SELECT ON mx7500_schema TO mx7500_bench;
GRANT SELECT, INSERT ON records TO mx7500_bench;
GRANT USAGE ON SEQUENCE records_seq TO mx7500_bench;

COMMIT;
