-- The tables of an account file, columns in their historical order. A new account is this
-- script run on an empty database.
CREATE TABLE userinfo (
    keyid         INTEGER PRIMARY KEY AUTOINCREMENT,
    nodelevel     INTEGER,
    nodeparentkey INTEGER,
    nodetype      INTEGER,
    nodeindex     INTEGER,
    uname         TEXT COLLATE NOCASE,
    ulevel        INTEGER,
    uwkaddress    TEXT COLLATE NOCASE,
    uzw           TEXT COLLATE NOCASE,
    unc           TEXT COLLATE NOCASE,
    umtel         TEXT COLLATE NOCASE,
    uxb           TEXT COLLATE NOCASE,
    uwtlp         TEXT COLLATE NOCASE,
    uah           TEXT COLLATE NOCASE,
    uhtlp         TEXT COLLATE NOCASE,
    utc           TEXT COLLATE NOCASE,
    uwcz          TEXT COLLATE NOCASE,
    uzgxl         TEXT COLLATE NOCASE,
    uemail        TEXT COLLATE NOCASE,
    ubyyx         TEXT COLLATE NOCASE,
    uhtml         TEXT COLLATE NOCASE,
    uzczg         TEXT COLLATE NOCASE,
    uqq           TEXT COLLATE NOCASE,
    uhsr          TEXT COLLATE NOCASE,
    udtfmt        TEXT COLLATE NOCASE,
    uisalart      INTEGER NOT NULL DEFAULT 0,
    uhjg          TEXT COLLATE NOCASE,
    ujtdz         TEXT COLLATE NOCASE,
    upo           TEXT COLLATE NOCASE,
    upoxq         TEXT COLLATE NOCASE,
    ujtcy         TEXT COLLATE NOCASE,
    ujhjnr        TEXT COLLATE NOCASE,
    jnrtx         INTEGER NOT NULL DEFAULT 0,
    usg           TEXT COLLATE NOCASE,
    utz           TEXT COLLATE NOCASE,
    uahht         TEXT COLLATE NOCASE,
    uydah         TEXT COLLATE NOCASE,
    uyjsh         TEXT COLLATE NOCASE,
    upacs         TEXT COLLATE NOCASE,
    ubybz         TEXT COLLATE NOCASE,
    utyjx         TEXT COLLATE NOCASE,
    uxy           TEXT COLLATE NOCASE,
    urhxr         TEXT COLLATE NOCASE,
    ufz           TEXT COLLATE NOCASE,
    upot          BLOB,
    field1        TEXT COLLATE NOCASE,
    field2        TEXT COLLATE NOCASE,
    field3        TEXT COLLATE NOCASE,
    field4        TEXT COLLATE NOCASE,
    field5        TEXT COLLATE NOCASE,
    field6        TEXT COLLATE NOCASE,
    field7        TEXT COLLATE NOCASE,
    field8        TEXT COLLATE NOCASE,
    usx           TEXT COLLATE NOCASE,
    uxx           TEXT COLLATE NOCASE,
    uxz           TEXT COLLATE NOCASE,
    kzfield1      TEXT COLLATE NOCASE,
    kzfield2      TEXT COLLATE NOCASE,
    updatedate    TEXT COLLATE NOCASE,
    mypic         BLOB,
    pictype       TEXT COLLATE NOCASE,
    field9        TEXT COLLATE NOCASE,
    field10       TEXT COLLATE NOCASE,
    field11       TEXT COLLATE NOCASE,
    field12       TEXT COLLATE NOCASE,
    field13       TEXT COLLATE NOCASE,
    field14       TEXT COLLATE NOCASE,
    field15       TEXT COLLATE NOCASE,
    field16       TEXT COLLATE NOCASE,
    field17       TEXT COLLATE NOCASE,
    text1         TEXT COLLATE NOCASE,
    text2         TEXT COLLATE NOCASE,
    text3         TEXT COLLATE NOCASE,
    text4         TEXT COLLATE NOCASE,
    text5         TEXT COLLATE NOCASE,
    text6         TEXT COLLATE NOCASE,
    text7         TEXT COLLATE NOCASE,
    text8         TEXT COLLATE NOCASE,
    text9         TEXT COLLATE NOCASE,
    text10        TEXT COLLATE NOCASE,
    text11        TEXT COLLATE NOCASE,
    text12        TEXT COLLATE NOCASE,
    text13        TEXT COLLATE NOCASE,
    text14        TEXT COLLATE NOCASE,
    text15        TEXT COLLATE NOCASE,
    text16        TEXT COLLATE NOCASE,
    text17        TEXT COLLATE NOCASE,
    text18        TEXT COLLATE NOCASE,
    text19        TEXT COLLATE NOCASE,
    text20        TEXT COLLATE NOCASE,
    text21        TEXT COLLATE NOCASE,
    text22        TEXT COLLATE NOCASE,
    text23        TEXT COLLATE NOCASE,
    text24        TEXT COLLATE NOCASE,
    text25        TEXT COLLATE NOCASE,
    text26        TEXT COLLATE NOCASE,
    text27        TEXT COLLATE NOCASE,
    text28        TEXT COLLATE NOCASE,
    text29        TEXT COLLATE NOCASE,
    text30        TEXT COLLATE NOCASE,
    text31        TEXT COLLATE NOCASE,
    text32        TEXT COLLATE NOCASE,
    text33        TEXT COLLATE NOCASE,
    text34        TEXT COLLATE NOCASE,
    text35        TEXT COLLATE NOCASE,
    text36        TEXT COLLATE NOCASE,
    text37        TEXT COLLATE NOCASE,
    text38        TEXT COLLATE NOCASE,
    text39        TEXT COLLATE NOCASE,
    text40        TEXT COLLATE NOCASE,
    text41        TEXT COLLATE NOCASE,
    text42        TEXT COLLATE NOCASE,
    text43        TEXT COLLATE NOCASE,
    text44        TEXT COLLATE NOCASE,
    text45        TEXT COLLATE NOCASE,
    text46        TEXT COLLATE NOCASE,
    text47        TEXT COLLATE NOCASE,
    text48        TEXT COLLATE NOCASE,
    text49        TEXT COLLATE NOCASE,
    text50        TEXT COLLATE NOCASE,
    text51        TEXT COLLATE NOCASE,
    text52        TEXT COLLATE NOCASE,
    text53        TEXT COLLATE NOCASE,
    text54        TEXT COLLATE NOCASE,
    text55        TEXT COLLATE NOCASE,
    text56        TEXT COLLATE NOCASE,
    text57        TEXT COLLATE NOCASE,
    activenewtime TEXT,
    linkuser      TEXT COLLATE NOCASE,
    inserttime    TEXT,
    updatetime    TEXT,
    readcount     INTEGER,
    txstarttime   TEXT,
    txendtime     TEXT,
    alarmtime     TEXT,
    txxhcs        INTEGER,
    txlevel       INTEGER,
    txdaystr      TEXT COLLATE NOCASE
);
CREATE TABLE useraction (
    id         INTEGER PRIMARY KEY AUTOINCREMENT,
    useruid    INTEGER,
    linkid     INTEGER,
    titlemsg   TEXT COLLATE NOCASE,
    typestr    TEXT COLLATE NOCASE,
    typeint    INTEGER,
    createdate TEXT COLLATE NOCASE,
    fjfile     BLOB
);
CREATE TABLE userpic (
    id       INTEGER PRIMARY KEY AUTOINCREMENT,
    useruid  INTEGER,
    titlemsg TEXT COLLATE NOCASE,
    filename TEXT COLLATE NOCASE,
    fjfile   BLOB
);
CREATE TABLE usertable (
    id        INTEGER PRIMARY KEY AUTOINCREMENT,
    title     TEXT COLLATE NOCASE,
    startdate TEXT,
    enddate   TEXT,
    alarmtime TEXT,
    groupid   INTEGER,
    gqwtx     INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE userplaces (
    placename TEXT COLLATE NOCASE
);
CREATE TABLE userlinkplace (
    keyid     INTEGER,
    placename TEXT COLLATE NOCASE
);
CREATE TABLE usermsg (
    id       INTEGER PRIMARY KEY AUTOINCREMENT,
    username TEXT COLLATE NOCASE,
    password TEXT COLLATE NOCASE,
    passbox  BLOB,
    field1   TEXT COLLATE NOCASE,
    field2   TEXT COLLATE NOCASE,
    field3   TEXT COLLATE NOCASE,
    field4   TEXT COLLATE NOCASE
);
CREATE TABLE dbsxfile (
    id           INTEGER PRIMARY KEY AUTOINCREMENT,
    rcid         INTEGER,
    filename     TEXT COLLATE NOCASE,
    filesize     TEXT COLLATE NOCASE,
    filedatetime TEXT,
    fileblob     BLOB
);
CREATE TABLE databaklist (
    id         INTEGER PRIMARY KEY AUTOINCREMENT,
    sfilename  TEXT COLLATE NOCASE,
    createtime TEXT
);
CREATE TABLE psdbox (
    id        INTEGER PRIMARY KEY AUTOINCREMENT,
    boxtype   TEXT COLLATE NOCASE,
    boxtitle  TEXT COLLATE NOCASE,
    boxname   TEXT COLLATE NOCASE,
    boxpsd1   TEXT COLLATE NOCASE,
    boxpsd2   TEXT COLLATE NOCASE,
    boxurl    TEXT COLLATE NOCASE,
    boxremark TEXT COLLATE NOCASE
);
-- Indexes for the tree, browser, reminder, tag and attachment queries.
CREATE INDEX idx_userinfo_nodetype_kzfield1 ON userinfo (nodetype, kzfield1);
CREATE INDEX idx_userinfo_nodeparentkey_nodetype ON userinfo (nodeparentkey, nodetype);
CREATE INDEX idx_userinfo_readcount ON userinfo (readcount);
CREATE INDEX idx_userinfo_activenewtime ON userinfo (activenewtime);
CREATE INDEX idx_useraction_linkid ON useraction (linkid);
CREATE INDEX idx_useraction_useruid ON useraction (useruid);
CREATE INDEX idx_userpic_useruid ON userpic (useruid);
CREATE INDEX idx_usertable_groupid ON usertable (groupid);
CREATE INDEX idx_usertable_gqwtx_alarmtime ON usertable (gqwtx, alarmtime);
CREATE INDEX idx_usertable_startdate ON usertable (startdate);
CREATE INDEX idx_userlinkplace_keyid ON userlinkplace (keyid);
CREATE INDEX idx_userlinkplace_placename ON userlinkplace (placename);
CREATE INDEX idx_dbsxfile_rcid ON dbsxfile (rcid);
