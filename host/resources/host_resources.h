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
