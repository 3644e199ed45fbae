-- 5,000 records on 1,667 tapes for the real-input check of loans, groups and statistics.
with recursive n(i) as (select 0 union all select i + 1 from n where i < 4999)
insert into archive (catalog, md_type, md_format, md_image, md_sound, md_language, mv_country, mv_year, mv_rating,
  mv_language, mv_color, mv_sound, mv_genre, mv_director, mv_producer, mv_book, mv_music,
  mv_cast1, mv_cast2, mv_cast3, mv_cast4, mv_cast5, mv_cast6, title)
select printf('T%04d', i / 3),
  case i % 6 when 0 then 'DVD' when 1 then 'LaserDisk' when 2 then 'S-VHS' else 'VHS' end,
  'PAL', 'Widescreen', 'Stereo', 'English',
  case i % 7 when 0 then 'France' when 1 then 'Germany' when 2 then 'UK' when 3 then 'Italy' else 'USA' end,
  cast(1925 + (i * 37) % 85 as text), '7.1/10 (1,000 votes)', 'English', 'Color', 'Mono',
  case (i * 13) % 11 when 0 then 'Film noir' when 1 then 'Drama' when 2 then 'Comedy' when 3 then 'Western'
    when 4 then 'Sci-Fi' when 5 then 'Thriller' when 6 then 'Action' when 7 then 'Drama' when 8 then 'Comedy'
    when 9 then 'Musical' else ' ' end,
  case (i * 7) % 13 when 0 then 'John Huston' when 1 then 'Howard Hawks' when 2 then 'Billy Wilder'
    when 3 then 'Alfred Hitchcock' when 4 then 'Fritz Lang' when 5 then 'Akira Kurosawa' when 6 then 'Orson Welles'
    when 7 then 'Jean Renoir' when 8 then 'Federico Fellini' when 9 then 'Ingmar Bergman' when 10 then 'Sergio Leone'
    when 11 then 'Stanley Kubrick' else 'Michael Curtiz' end,
  'Paramount', ' ', ' ',
  case i % 5 when 0 then 'Humphrey Bogart' when 1 then 'Lauren Bacall' when 2 then 'Cary Grant' when 3 then 'Grace Kelly' else 'James Stewart' end,
  case i % 4 when 0 then 'Ingrid Bergman' when 1 then 'Peter Lorre' when 2 then 'Audrey Hepburn' else 'Orson Welles' end,
  ' ', ' ', ' ', case i % 9 when 0 then 'Marlene Dietrich' else ' ' end,
  (case i % 8 when 0 then 'The ' when 1 then 'A ' else '' end) ||
  (case (i * 3) % 10 when 0 then 'Big Sleep' when 1 then 'Maltese Falcon' when 2 then 'Night City' when 3 then 'Third Man'
    when 4 then 'Rear Window' when 5 then 'Lady from Shanghai' when 6 then 'Touch of Evil' when 7 then 'Empire'
    when 8 then 'Vertigo Return' else 'Metropolis' end) || ' ' || (i + 1)
from n;

-- The collector's own fields on most records, and the lengths of the DVD and VHS tapes.
alter table archive add column quelto_id INTEGER;
alter table archive add column quelto_my_rating REAL;
alter table archive add column quelto_seen TEXT;
alter table archive add column quelto_location TEXT COLLATE NOCASE;
alter table archive add column quelto_condition TEXT COLLATE NOCASE;
alter table archive add column quelto_running_time INTEGER;
alter table archive add column quelto_speed TEXT;
update archive set quelto_id = rowid,
  quelto_my_rating = case when rowid % 4 = 0 then null else 1 + (rowid * 7) % 9 * 0.5 end,
  quelto_seen = case when rowid % 3 = 0 then '2026-10-' || printf('%02d', 1 + rowid % 28) when rowid % 3 = 1 then 'seen' end,
  quelto_location = case when rowid % 10 = 0 then null else 'Shelf ' || char(65 + rowid % 6) end,
  quelto_condition = case rowid % 4 when 0 then 'good' when 1 then 'worn' when 2 then 'poor' end,
  quelto_running_time = 75 + (rowid * 11) % 70,
  quelto_speed = case when md_type in ('VHS', 'S-VHS') then
    case when catalog like '%0' or catalog like '%5' then 'LP' else 'EP' end end;
create table quelto_tapes (catalog TEXT NOT NULL, length_minutes INTEGER);
insert into quelto_tapes select distinct catalog, case when catalog like '%0' then 180 else 240 end
  from archive where md_type = 'VHS' and rowid % 2 = 0;
