#pragma once
// The reference host's own dialog: connecting to a live site.
#define IDD_CONNECT                 200
#define IDC_CONNECT_HOST            201
#define IDC_CONNECT_PORT            202
#define IDC_CONNECT_USER            203
#define IDC_CONNECT_PASSWORD        204
#define IDC_CONNECT_REQUIRE_TLS     205
#define IDC_CONNECT_FINGERPRINT     206
#define IDC_CONNECT_SITE            207
#define IDC_CONNECT_SAVE            208
#define IDC_CONNECT_DELETE          209
#define IDC_CONNECT_REMEMBER        210

// The host's own administration pages (glftpd 2.x), children of the page
// area like the plug-in's pages. Shared by the four: the line that says who
// answers the page, and the box that shows what a command came to.
#define IDD_ADMIN_GROUPS_PAGE       300
#define IDD_ADMIN_ACCOUNTS_PAGE     301
#define IDD_ADMIN_BULK_PAGE         302
#define IDD_ADMIN_OWN_COMMANDS_PAGE 303
#define IDC_ADMIN_NOTE              310
#define IDC_ADMIN_RESULT            311

// Groups: the groups, the selected group's settings, its members.
#define IDC_ADMIN_GROUP_LIST        320
#define IDC_ADMIN_GROUP_LOAD        321
#define IDC_ADMIN_GROUP_SLOTS       322
#define IDC_ADMIN_GROUP_LEECH_SLOTS 323
#define IDC_ADMIN_GROUP_ALLOT_SLOTS 324
#define IDC_ADMIN_GROUP_MAX_ALLOT   325
#define IDC_ADMIN_GROUP_MAX_LOGINS  326
#define IDC_ADMIN_GROUP_COMMENT     327
#define IDC_ADMIN_GROUP_WRITE       328
#define IDC_ADMIN_MEMBER_LIST       329
#define IDC_ADMIN_MEMBER_ADMIN      330
#define IDC_ADMIN_MEMBER_SUMMARY    331
#define IDC_ADMIN_GROUP_SETTINGS    332

// Accounts: the listing and its filter, the selected account's settings,
// rename, re-add and purge.
#define IDC_ADMIN_ACCOUNT_FILTER    340
#define IDC_ADMIN_ACCOUNT_FILTER_VALUE 341
#define IDC_ADMIN_ACCOUNT_LIST_BUTTON 342
#define IDC_ADMIN_ACCOUNT_LIST      343
#define IDC_ADMIN_ACCOUNT_SUMMARY   344
#define IDC_ADMIN_ACCOUNT_EXPIRES   345
#define IDC_ADMIN_ACCOUNT_TF_FROM   346
#define IDC_ADMIN_ACCOUNT_TF_TO     347
#define IDC_ADMIN_ACCOUNT_IDLE      348
#define IDC_ADMIN_ACCOUNT_COMMENT   349
#define IDC_ADMIN_ACCOUNT_SIM_UP    350
#define IDC_ADMIN_ACCOUNT_SIM_DOWN  351
#define IDC_ADMIN_ACCOUNT_SAME_IP   352
#define IDC_ADMIN_ACCOUNT_WRITE     353
#define IDC_ADMIN_ACCOUNT_NEW_NAME  354
#define IDC_ADMIN_ACCOUNT_RENAME    355
#define IDC_ADMIN_ACCOUNT_READD     356
#define IDC_ADMIN_ACCOUNT_PURGE     357
#define IDC_ADMIN_ACCOUNT_SELECTED  358

// One change for many: which accounts, the setting and its value.
#define IDC_ADMIN_BULK_TO_GROUP     370
#define IDC_ADMIN_BULK_TO_LIST      371
#define IDC_ADMIN_BULK_TO_ALL       372
#define IDC_ADMIN_BULK_GROUP        373
#define IDC_ADMIN_BULK_ACCOUNTS     374
#define IDC_ADMIN_BULK_SETTING      375
#define IDC_ADMIN_BULK_VALUE        376
#define IDC_ADMIN_BULK_APPLY        377

// The operator's own commands.
#define IDC_ADMIN_OWN_LIST          390
#define IDC_ADMIN_OWN_NEW           391
#define IDC_ADMIN_OWN_ADD           392
#define IDC_ADMIN_OWN_REMOVE        393
#define IDC_ADMIN_OWN_SEND          394

// Accounts and One change for many: labels and hints (520-539).
#define IDC_ADMIN_ACCOUNT_FILTER_LABEL 520
#define IDC_ADMIN_ACCOUNT_TF_TO_LABEL  521
#define IDC_ADMIN_ACCOUNT_IDLE_HINT    522
#define IDC_ADMIN_BULK_SETTING_HINT    523
#define IDC_ADMIN_BULK_LIST_HINT       524
// The password an own command asks for when it is sent.
#define IDD_ADMIN_OWN_PASSWORD          500
#define IDC_ADMIN_OWN_PASSWORD_COMMAND  501
#define IDC_ADMIN_OWN_PASSWORD_EDIT     502
#define IDC_ADMIN_OWN_PASSWORD_PROBLEM  503
#define IDC_ADMIN_OWN_SEND_HINT         504
#define IDC_ADMIN_OWN_ADD_HINT          505
// The History page: the change record of a site, newest first.
#define IDD_HISTORY_PAGE            306
#define IDC_HISTORY_NOTE            460
#define IDC_HISTORY_SITE            461
#define IDC_HISTORY_CLEAR           462
#define IDC_HISTORY_FILTER          463
#define IDC_HISTORY_TOOK            464
#define IDC_HISTORY_REFUSED         465
#define IDC_HISTORY_UNKNOWN         466
#define IDC_HISTORY_LIST            467
#define IDC_HISTORY_COPY            468
#define IDC_HISTORY_SUMMARY         469
// Online now and Top lists (host/glance): who is on the site, and the top
// lists as a chart beside their table.
#define IDD_GLANCE_ONLINE_PAGE      304
#define IDD_GLANCE_TOP_PAGE         305
#define IDC_GLANCE_TOTALS           400
#define IDC_GLANCE_REFRESH          401
#define IDC_GLANCE_AUTO             402
#define IDC_GLANCE_SECONDS          403
#define IDC_GLANCE_SECONDS_LABEL    404
#define IDC_GLANCE_SESSIONS         405
#define IDC_GLANCE_KICK             406
#define IDC_GLANCE_KILL             407
#define IDC_GLANCE_PERIOD           410
#define IDC_GLANCE_DIRECTION        411
#define IDC_GLANCE_WHO              412
#define IDC_GLANCE_COUNT            413
#define IDC_GLANCE_SHOW             414
#define IDC_GLANCE_CHART            415
#define IDC_GLANCE_TABLE            416
#define IDC_GLANCE_COPY             417
#define IDC_GLANCE_SAVE             418
#define IDC_GLANCE_COUNT_LABEL      419
