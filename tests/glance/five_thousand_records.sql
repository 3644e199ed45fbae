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
