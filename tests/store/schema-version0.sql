-- The database of the make-up and deferred examination arrangement tool.
-- Text compares without regard to case, as the original engine did; tables
-- are STRICT so that a value a column cannot take is refused.

-- The roster: one row per candidate (student and course). No key: a student
-- listed twice must be storable so that validation can find it.
CREATE TABLE t_bjgmd (
  sjxh TEXT COLLATE NOCASE,  -- paper number
  kcxh TEXT COLLATE NOCASE,  -- course sequence number
  xh   TEXT COLLATE NOCASE,  -- student number
  xm   TEXT COLLATE NOCASE,  -- student name
  kcdm TEXT COLLATE NOCASE,  -- course code
  kcmc TEXT COLLATE NOCASE,  -- course name
  skjs TEXT COLLATE NOCASE,  -- teacher
  kkyx TEXT COLLATE NOCASE,  -- offering department
  bz   TEXT COLLATE NOCASE,  -- remark
  hbk  TEXT COLLATE NOCASE   -- 补考 or 缓考
) STRICT;
CREATE INDEX t_bjgmd_sjxh ON t_bjgmd(sjxh, xh);  -- conflict test, validation, counts
CREATE INDEX t_bjgmd_kcxh ON t_bjgmd(kcxh);
CREATE INDEX t_bjgmd_xh ON t_bjgmd(xh);
CREATE INDEX t_bjgmd_kcdm ON t_bjgmd(kcdm);
CREATE INDEX t_bjgmd_kkyx ON t_bjgmd(kkyx);

-- Placements: one row per paper. jsid 0 means "no room yet"; scheduling
-- inserts without a room, so the default lists its papers as roomless.
CREATE TABLE t_kscs (
  cc    TEXT COLLATE NOCASE,  -- exam period number, as text
  sjxh  TEXT COLLATE NOCASE,  -- paper number
  sjxh1 TEXT COLLATE NOCASE,  -- paper number when the row was made
  jsid  INTEGER NOT NULL DEFAULT 0
) STRICT;
CREATE INDEX t_kscs_cc ON t_kscs(cc, sjxh);
CREATE INDEX t_kscs_sjxh ON t_kscs(sjxh);
CREATE INDEX t_kscs_jsid ON t_kscs(jsid);

-- Exam periods with their exam time (free text).
CREATE TABLE t_cc (
  cc   TEXT COLLATE NOCASE,
  kssj TEXT COLLATE NOCASE
) STRICT;
CREATE INDEX t_cc_cc ON t_cc(cc);
CREATE INDEX t_cc_kssj ON t_cc(kssj);

-- Classrooms. Ids are never reused, so a placement that kept the id of a
-- deleted room never silently points at a new one.
CREATE TABLE t_js (
  jsid INTEGER PRIMARY KEY AUTOINCREMENT,
  jsm  TEXT COLLATE NOCASE,  -- room name; not unique
  rnrs INTEGER               -- capacity; letters are refused
) STRICT;
CREATE INDEX t_js_jsm ON t_js(jsm);

-- The exam-room list being printed.
CREATE TABLE t_print1 (
  sjxh TEXT COLLATE NOCASE, kcxh TEXT COLLATE NOCASE, xh TEXT COLLATE NOCASE,
  xm TEXT COLLATE NOCASE, kcdm TEXT COLLATE NOCASE, kcmc TEXT COLLATE NOCASE,
  skjs TEXT COLLATE NOCASE, kkyx TEXT COLLATE NOCASE, bz TEXT COLLATE NOCASE,
  hbk TEXT COLLATE NOCASE, js TEXT COLLATE NOCASE, kssj TEXT COLLATE NOCASE
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
       k.cc AS cc, t.kssj AS kssj, r.jsm AS jsm, b.rowid AS rid
FROM t_bjgmd b
LEFT JOIN t_kscs k ON k.sjxh = b.sjxh
LEFT JOIN t_cc t ON t.cc = k.cc
LEFT JOIN t_js r ON r.jsid = k.jsid;

-- An appended row becomes a roster row; its period, time and room follow
-- from its paper, so kssj and jsm are not stored.
CREATE TRIGGER hbkap_insert INSTEAD OF INSERT ON hbkap
BEGIN
  INSERT INTO t_bjgmd(sjxh, kcxh, xh, xm, kcdm, kcmc, skjs, kkyx, bz, hbk)
  VALUES (NEW.sjxh, NEW.kcxh, NEW.xh, NEW.xm, NEW.kcdm, NEW.kcmc, NEW.skjs, NEW.kkyx, NEW.bz, NEW.hbk);
END;

CREATE TRIGGER hbkap_update INSTEAD OF UPDATE ON hbkap
BEGIN
  UPDATE t_bjgmd
  SET sjxh = NEW.sjxh, kcxh = NEW.kcxh, xh = NEW.xh, xm = NEW.xm, kcdm = NEW.kcdm,
      kcmc = NEW.kcmc, skjs = NEW.skjs, kkyx = NEW.kkyx, bz = NEW.bz, hbk = NEW.hbk
  WHERE rowid = OLD.rid;
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
