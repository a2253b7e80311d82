-- The delivered database "dbinfo.mdb". Lumetra itself never creates tables: lumetra-initdb writes
-- a new file from this script. Every column has a declared type, so "where RoomID= 5" compares
-- numbers, and every column that is read holds text rather than null.

CREATE TABLE tb_memo (
    ID       INTEGER PRIMARY KEY AUTOINCREMENT,
    任务名称 TEXT NOT NULL DEFAULT '',
    日期     TEXT NOT NULL DEFAULT '',
    开始时间 TEXT NOT NULL DEFAULT '',
    结束时间 TEXT NOT NULL DEFAULT '',
    重复周期 TEXT NOT NULL DEFAULT '',
    音源     TEXT NOT NULL DEFAULT '',
    节目内容 TEXT NOT NULL DEFAULT '',
    目标区域 TEXT NOT NULL DEFAULT '',
    提醒次数 TEXT NOT NULL DEFAULT '',
    一周时间 TEXT NOT NULL DEFAULT '',
    状态     TEXT NOT NULL DEFAULT '',
    FM       TEXT NOT NULL DEFAULT '',
    外设     TEXT NOT NULL DEFAULT ''
);
CREATE INDEX tb_memo_start ON tb_memo (开始时间);

CREATE TABLE Room (
    RoomID      INTEGER NOT NULL,
    AreaID      TEXT NOT NULL DEFAULT '0',
    SpeakerName TEXT NOT NULL DEFAULT ''
);

CREATE TABLE AeraOfTarget (
    AreaID   TEXT NOT NULL DEFAULT '',
    AreaName TEXT NOT NULL DEFAULT '',
    AreaAddr TEXT NOT NULL DEFAULT '',
    Remark   TEXT NOT NULL DEFAULT ''
);

CREATE TABLE LED (
    LedAddrID  TEXT NOT NULL DEFAULT '',
    LedContent TEXT NOT NULL DEFAULT '',
    LedRemark  TEXT NOT NULL DEFAULT '',
    sendtime   TEXT NOT NULL DEFAULT ''
);

CREATE TABLE user (
    用户名 TEXT NOT NULL DEFAULT '',
    密码   TEXT NOT NULL DEFAULT ''
);

CREATE TABLE Dict (
    DictItem  TEXT NOT NULL DEFAULT '',
    DictValue TEXT NOT NULL DEFAULT ''
);

CREATE TABLE com (
    com TEXT NOT NULL DEFAULT '1'
);

CREATE TABLE shut_down (
    启用关机 TEXT NOT NULL DEFAULT '0',
    关机时间 TEXT NOT NULL DEFAULT '0:0:0'
);

-- Delivered rows: the 128 receivers in the default zone, port 1, shutdown off, one operator.
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 128)
INSERT INTO Room (RoomID, AreaID, SpeakerName) SELECT i, '0', '' FROM n;
INSERT INTO com (com) VALUES ('1');
INSERT INTO shut_down (启用关机, 关机时间) VALUES ('0', '0:0:0');
INSERT INTO user (用户名, 密码) VALUES ('admin', 'admin');
