-- The database of the make-up and deferred examination arrangement tool.
-- Text compares without regard to case, as the original engine did; tables
-- are STRICT so that a value a column cannot take is refused. An empty value
-- is the empty text, never NULL, since every statement compares with ''.

-- The roster: one row per candidate (student and course). No key over its
-- ten columns: a student listed twice must be storable so that validation
-- can find it. The key rid comes last, since the import fills the first ten
-- columns by position.
CREATE TABLE t_bjgmd (
  sjxh TEXT NOT NULL DEFAULT '' COLLATE NOCASE,  -- paper number
  kcxh TEXT NOT NULL DEFAULT '' COLLATE NOCASE,  -- course sequence number
  xh   TEXT NOT NULL DEFAULT '' COLLATE NOCASE,  -- student number
  xm   TEXT NOT NULL DEFAULT '' COLLATE NOCASE,  -- student name
  kcdm TEXT NOT NULL DEFAULT '' COLLATE NOCASE,  -- course code
  kcmc TEXT NOT NULL DEFAULT '' COLLATE NOCASE,  -- course name
  skjs TEXT NOT NULL DEFAULT '' COLLATE NOCASE,  -- teacher
  kkyx TEXT NOT NULL DEFAULT '' COLLATE NOCASE,  -- offering department
  bz   TEXT NOT NULL DEFAULT '' COLLATE NOCASE,  -- remark
  hbk  TEXT NOT NULL DEFAULT '' COLLATE NOCASE,  -- 补考 or 缓考
  -- The row's key, never handed out twice: a row the roster window still
  -- shows after it was deleted can never stand for a newer row.
  rid  INTEGER PRIMARY KEY AUTOINCREMENT
) STRICT;
CREATE INDEX t_bjgmd_sjxh ON t_bjgmd(sjxh, xh);  -- conflict test, validation, counts
CREATE INDEX t_bjgmd_kcxh ON t_bjgmd(kcxh);
CREATE INDEX t_bjgmd_xh ON t_bjgmd(xh);
CREATE INDEX t_bjgmd_kcdm ON t_bjgmd(kcdm);
CREATE INDEX t_bjgmd_kkyx ON t_bjgmd(kkyx);

-- Placements: one row per paper. jsid 0 means "no room yet"; scheduling
-- inserts without a room, so the default lists its papers as roomless.
CREATE TABLE t_kscs (
  cc    TEXT NOT NULL DEFAULT '' COLLATE NOCASE,  -- exam period number, as text
  sjxh  TEXT NOT NULL DEFAULT '' COLLATE NOCASE,  -- paper number
  sjxh1 TEXT NOT NULL DEFAULT '' COLLATE NOCASE,  -- paper number when the row was made
  jsid  INTEGER NOT NULL DEFAULT 0
) STRICT;
CREATE INDEX t_kscs_cc ON t_kscs(cc, sjxh);
CREATE INDEX t_kscs_sjxh ON t_kscs(sjxh);
CREATE INDEX t_kscs_jsid ON t_kscs(jsid);

-- Exam periods with their exam time (free text).
CREATE TABLE t_cc (
  cc   TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  kssj TEXT NOT NULL DEFAULT '' COLLATE NOCASE
) STRICT;
CREATE INDEX t_cc_cc ON t_cc(cc);
CREATE INDEX t_cc_kssj ON t_cc(kssj);

-- Classrooms. Ids are never reused, so a placement that kept the id of a
-- deleted room never silently points at a new one.
CREATE TABLE t_js (
  jsid INTEGER PRIMARY KEY AUTOINCREMENT,
  jsm  TEXT NOT NULL DEFAULT '' COLLATE NOCASE,  -- room name; not unique
  rnrs INTEGER,              -- capacity; letters are refused
  ps   INTEGER NOT NULL DEFAULT 0,  -- rows of seats (排数); 0: laid out from the capacity
  ls   INTEGER NOT NULL DEFAULT 0   -- columns of seats (列数)
) STRICT;
CREATE INDEX t_js_jsm ON t_js(jsm);

-- The exam-room list being printed.
CREATE TABLE t_print1 (
  sjxh TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  kcxh TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  xh TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  xm TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  kcdm TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  kcmc TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  skjs TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  kkyx TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  bz TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  hbk TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  js TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  kssj TEXT NOT NULL DEFAULT '' COLLATE NOCASE
) STRICT;

-- Invigilators. bkcc lists the sittings one cannot take, separated by
-- blanks, commas or "、": a period number stands for that period's exam
-- time, any other item for every exam time starting with it (a date).
-- zdcs is the most duties one may get. Ids are never reused.
CREATE TABLE t_jkjs (
  jkid INTEGER PRIMARY KEY AUTOINCREMENT,
  xm   TEXT NOT NULL DEFAULT '' COLLATE NOCASE,  -- name
  yx   TEXT NOT NULL DEFAULT '' COLLATE NOCASE,  -- department (院系)
  zdcs INTEGER NOT NULL DEFAULT 0,               -- most duties
  bkcc TEXT NOT NULL DEFAULT '' COLLATE NOCASE   -- sittings one cannot take
) STRICT;
CREATE INDEX t_jkjs_xm ON t_jkjs(xm);

-- Invigilation duties: who watches which room in which period. sg is 1 for
-- a duty entered by hand, which the automatic run keeps.
CREATE TABLE t_jkap (
  cc   TEXT NOT NULL DEFAULT '' COLLATE NOCASE,  -- exam period number
  jsid INTEGER NOT NULL DEFAULT 0,               -- room
  jkid INTEGER NOT NULL DEFAULT 0,               -- invigilator
  sg   INTEGER NOT NULL DEFAULT 0                -- entered by hand
) STRICT;
CREATE INDEX t_jkap_cc ON t_jkap(cc, jsid);
CREATE INDEX t_jkap_jkid ON t_jkap(jkid);

-- Seat numbers: one per roster row, with the period and room it was given
-- in. A candidate whose paper changes period or room, or who changes paper,
-- loses the seat; the room then needs new seats.
CREATE TABLE t_zw (
  rid  INTEGER PRIMARY KEY,                      -- roster row
  cc   TEXT NOT NULL DEFAULT '' COLLATE NOCASE,  -- exam period
  jsid INTEGER NOT NULL DEFAULT 0,               -- room
  zwh  INTEGER NOT NULL DEFAULT 0,               -- seat number, 1.. in the room
  pai  INTEGER NOT NULL DEFAULT 0,               -- its row, 1 in front
  lie  INTEGER NOT NULL DEFAULT 0                -- its column, 1 on the left seen from the front
) STRICT;
CREATE INDEX t_zw_room ON t_zw(jsid, cc);
CREATE TRIGGER t_zw_placement_moved AFTER UPDATE OF cc, jsid, sjxh ON t_kscs
WHEN OLD.cc IS NOT NEW.cc OR OLD.jsid IS NOT NEW.jsid OR OLD.sjxh IS NOT NEW.sjxh
BEGIN
  DELETE FROM t_zw WHERE rid IN (SELECT rid FROM t_bjgmd WHERE sjxh = OLD.sjxh OR sjxh = NEW.sjxh);
END;
CREATE TRIGGER t_zw_placement_gone AFTER DELETE ON t_kscs
BEGIN
  DELETE FROM t_zw WHERE rid IN (SELECT rid FROM t_bjgmd WHERE sjxh = OLD.sjxh);
END;
CREATE TRIGGER t_zw_paper_changed AFTER UPDATE OF sjxh ON t_bjgmd
WHEN OLD.sjxh IS NOT NEW.sjxh
BEGIN
  DELETE FROM t_zw WHERE rid = NEW.rid;
END;
CREATE TRIGGER t_zw_row_gone AFTER DELETE ON t_bjgmd
BEGIN
  DELETE FROM t_zw WHERE rid = OLD.rid;
END;
-- The clerk's rules for the exam times (排考要求), one row each. lx names the
-- kind ("固定场次", "固定日期", "不早于", "不晚于", "同堂", "不同天", "在后",
-- "时长", "每天最多", "连续几天最多", "大卷优先"); a rule names its papers in
-- sjxh (and sjxh1 for a second paper), its date in rq ("2027-01-11"), its
-- sitting's clock text in sj, and its figures in sl (minutes, most papers or
-- least candidates), ts (days) and qz (weight). Ids are never reused.
CREATE TABLE t_pkyq (
  yqid  INTEGER PRIMARY KEY AUTOINCREMENT,
  lx    TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  sjxh  TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  sjxh1 TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  rq    TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  sj    TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  sl    INTEGER NOT NULL DEFAULT 0,
  ts    INTEGER NOT NULL DEFAULT 0,
  qz    INTEGER NOT NULL DEFAULT 0
) STRICT;

-- Emptied by data initialization; nothing else writes it.
CREATE TABLE log (
  id      INTEGER PRIMARY KEY,
  logtime TEXT,
  message TEXT COLLATE NOCASE
) STRICT;

-- Candidates per paper. Rows without a paper number are left out: the
-- scheduling menu refuses to run while any exist.
CREATE VIEW t_hbkrs AS
SELECT sjxh, count(*) AS Num
FROM t_bjgmd
WHERE sjxh IS NOT NULL AND sjxh <> ''
GROUP BY sjxh;

-- One row per course of each placed paper, with the room of the placement.
-- Placements without a room (jsid 0) have an empty jsm.
CREATE VIEW ksap AS
SELECT k.cc AS cc, k.sjxh AS sjxh, k.jsid AS jsid,
       c.kcxh AS kcxh, c.kcmc AS kcmc, c.skjs AS skjs, c.bz AS bz,
       c.Num1 AS Num1, p.Num AS Num, r.jsm AS jsm
FROM t_kscs k
JOIN (SELECT sjxh, kcxh, min(kcmc) AS kcmc, min(skjs) AS skjs, min(bz) AS bz, count(*) AS Num1
      FROM t_bjgmd GROUP BY sjxh, kcxh) c ON c.sjxh = k.sjxh
JOIN t_hbkrs p ON p.sjxh = k.sjxh
LEFT JOIN t_js r ON r.jsid = k.jsid;

-- Every candidate with the period, exam time and room of its paper; papers
-- not yet placed show empty values. rid is the roster row's key, through
-- which appended and changed rows are written back.
CREATE VIEW hbkap AS
SELECT b.sjxh AS sjxh, b.kcxh AS kcxh, b.xh AS xh, b.xm AS xm, b.kcdm AS kcdm,
       b.kcmc AS kcmc, b.skjs AS skjs, b.kkyx AS kkyx, b.bz AS bz, b.hbk AS hbk,
       k.cc AS cc, t.kssj AS kssj, r.jsm AS jsm, b.rid AS rid
FROM t_bjgmd b
LEFT JOIN t_kscs k ON k.sjxh = b.sjxh
LEFT JOIN t_cc t ON t.cc = k.cc
LEFT JOIN t_js r ON r.jsid = k.jsid;

-- An appended row becomes a roster row; its period, time and room follow
-- from its paper, so kssj and jsm are not stored. Values are stored trimmed,
-- and a column the row did not set is stored empty.
CREATE TRIGGER hbkap_insert INSTEAD OF INSERT ON hbkap
BEGIN
  INSERT INTO t_bjgmd(sjxh, kcxh, xh, xm, kcdm, kcmc, skjs, kkyx, bz, hbk)
  VALUES (trim(coalesce(NEW.sjxh, '')), trim(coalesce(NEW.kcxh, '')),
          trim(coalesce(NEW.xh, '')), trim(coalesce(NEW.xm, '')),
          trim(coalesce(NEW.kcdm, '')), trim(coalesce(NEW.kcmc, '')),
          trim(coalesce(NEW.skjs, '')), trim(coalesce(NEW.kkyx, '')),
          trim(coalesce(NEW.bz, '')), trim(coalesce(NEW.hbk, '')));
END;

CREATE TRIGGER hbkap_update INSTEAD OF UPDATE ON hbkap
BEGIN
  UPDATE t_bjgmd
  SET sjxh = trim(coalesce(NEW.sjxh, '')), kcxh = trim(coalesce(NEW.kcxh, '')),
      xh = trim(coalesce(NEW.xh, '')), xm = trim(coalesce(NEW.xm, '')),
      kcdm = trim(coalesce(NEW.kcdm, '')), kcmc = trim(coalesce(NEW.kcmc, '')),
      skjs = trim(coalesce(NEW.skjs, '')), kkyx = trim(coalesce(NEW.kkyx, '')),
      bz = trim(coalesce(NEW.bz, '')), hbk = trim(coalesce(NEW.hbk, ''))
  WHERE rid = OLD.rid;
END;

-- Candidates of placed papers with their period: the period-change conflict test.
CREATE VIEW bjgmd AS
SELECT b.xh AS xh, b.sjxh AS sjxh, k.cc AS cc
FROM t_bjgmd b
JOIN t_kscs k ON k.sjxh = b.sjxh;

-- A student listed more than once under one paper: such a paper conflicts
-- with every period.
CREATE VIEW jyt_bjgmd AS
SELECT sjxh, xh, count(*) AS Num
FROM t_bjgmd
GROUP BY sjxh, xh
HAVING count(*) > 1;

-- Courses with roster rows still without a paper number.
CREATE VIEW nonsjxh AS
SELECT kcxh, min(kcdm) AS kcdm, min(kcmc) AS kcmc, min(skjs) AS skjs, min(kkyx) AS kkyx
FROM t_bjgmd
WHERE sjxh IS NULL OR sjxh = ''
GROUP BY kcxh;

-- Courses of the papers made of more than one course: the ones a course can
-- be split off.
CREATE VIEW 考场拆分 AS
SELECT c.sjxh AS sjxh, c.kcxh AS kcxh, c.Num1 AS Num1, p.Num AS Num
FROM (SELECT sjxh, kcxh, count(*) AS Num1 FROM t_bjgmd GROUP BY sjxh, kcxh) c
JOIN t_hbkrs p ON p.sjxh = c.sjxh
WHERE c.sjxh IN (SELECT sjxh FROM t_bjgmd GROUP BY sjxh HAVING count(DISTINCT kcxh) > 1);

-- The layout above is version 4 (version 1 lacked the invigilator tables,
-- version 2 the room layout and the seats, version 3 the rules); a database
-- of an earlier version is brought to it when the program connects.
PRAGMA user_version = 4;
