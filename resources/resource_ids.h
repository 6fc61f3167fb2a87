/*
 * resource_ids.h - identifiers of the plug-in's resources.
 *
 * Shared by the resource script (plugin.rc), the C++ sources and the tests.
 * Plain #defines only, so that both the resource compiler and the C/C++
 * compilers can read it.
 *
 * Control ids are named IDC_<PAGE>_<ROLE>; the page prefixes are
 * ADDUSER, EDITUSER, USERCMD, GROUPS, ONLINE, SITECMD, STATS and RELEASE.
 * Several numbers are reused on different pages (each template is its own
 * id space); within one template every id is unique.
 */
#ifndef QUORIN_RESOURCE_IDS_H
#define QUORIN_RESOURCE_IDS_H

/* Labels and group boxes carry no id of their own. */
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

/* Icon group (32 x 32 and 16 x 16, 16 colours). */
#define IDI_PLUGIN_ICON 102

/* Dialog templates. */
#define IDD_ADD_USER_PAGE       106
#define IDD_EDIT_USER_PAGE      107
#define IDD_ONLINE_USERS_PAGE   108
#define IDD_USER_COMMANDS_PAGE  109
#define IDD_SITE_COMMANDS_PAGE  110
#define IDD_STATISTICS_PAGE     111
#define IDD_GROUPS_PAGE         112
#define IDD_RELEASE_DIALOG      114

/* ------------------------------------------------------------------------
 * Add user page (IDD_ADD_USER_PAGE).
 * Mnemonics used: U P G V 0 1 2 3 4 5 6 7 8 9 I A F R
 * ------------------------------------------------------------------------ */
#define IDC_ADDUSER_USERNAME        1082 /* edit "&Username" */
#define IDC_ADDUSER_PASSWORD        1015 /* edit "&Password" */
#define IDC_ADDUSER_GROUP           1016 /* combo "&Group" */
#define IDC_ADDUSER_PRIVATE_GROUP   1034 /* combo "Pri&vate group" */
#define IDC_ADDUSER_IP0             1018 /* edit "IP &0" */
#define IDC_ADDUSER_IP1             1021 /* edit "IP &1" */
#define IDC_ADDUSER_IP2             1019 /* edit "IP &2" */
#define IDC_ADDUSER_IP3             1022 /* edit "IP &3" */
#define IDC_ADDUSER_IP4             1020 /* edit "IP &4" */
#define IDC_ADDUSER_IP5             1023 /* edit "IP &5" */
#define IDC_ADDUSER_IP6             1024 /* edit "IP &6" */
#define IDC_ADDUSER_IP7             1025 /* edit "IP &7" */
#define IDC_ADDUSER_IP8             1026 /* edit "IP &8" */
#define IDC_ADDUSER_IP9             1027 /* edit "IP &9" */
#define IDC_ADDUSER_ADD             1037 /* button "Add user" */
#define IDC_ADDUSER_ADD_EDIT        1038 /* button "Add + Edit" */
#define IDC_ADDUSER_IP_LIST         1017 /* edit "&IP list (IP IP IP...)" */
#define IDC_ADDUSER_PARSE_IP_LIST   1035 /* button "P&arse" */
#define IDC_ADDUSER_FULL_ADD        1029 /* edit "&Full add string (...)" */
#define IDC_ADDUSER_PARSE_FULL_ADD  1036 /* button "Pa&rse" */

/* ------------------------------------------------------------------------
 * Edit user page (IDD_EDIT_USER_PAGE).
 * Mnemonics used: U G N 0 1 2 3 4 5 6 7 8 9 A B C D E F H I K P O M S L T R
 * (U, G, A, L and the digits 1 to 8 each appear twice on this page)
 * ------------------------------------------------------------------------ */
#define IDC_EDITUSER_USERNAME       1039 /* combo "&Username" */
#define IDC_EDITUSER_GET_INFO       1040 /* default button "&Get info" */
#define IDC_EDITUSER_CHANGE         1047 /* button "Cha&nge" */

#define IDC_EDITUSER_IP0            1078 /* edit "IP &0" */
#define IDC_EDITUSER_IP1            1084 /* edit "IP &1" */
#define IDC_EDITUSER_IP2            1079 /* edit "IP &2" */
#define IDC_EDITUSER_IP3            1085 /* edit "IP &3" */
#define IDC_EDITUSER_IP4            1080 /* edit "IP &4" */
#define IDC_EDITUSER_IP5            1089 /* edit "IP &5" */
#define IDC_EDITUSER_IP6            1081 /* edit "IP &6" */
#define IDC_EDITUSER_IP7            1088 /* edit "IP &7" */
#define IDC_EDITUSER_IP8            1086 /* edit "IP &8" */
#define IDC_EDITUSER_IP9            1087 /* edit "IP &9" */

#define IDC_EDITUSER_FLAG_SITEOP    1057 /* check "[&1] Siteop" */
#define IDC_EDITUSER_FLAG_GADMIN    1058 /* check "[&2] Group admin" */
#define IDC_EDITUSER_FLAG_GLOCK     1059 /* check "[&3] Group lock" */
#define IDC_EDITUSER_FLAG_EXEMPT    1060 /* check "[&4] Exempt" */
#define IDC_EDITUSER_FLAG_COLOR     1061 /* check "[&5] Color" */
#define IDC_EDITUSER_FLAG_DELETED   1062 /* check "[&6] Deleted" */
#define IDC_EDITUSER_FLAG_USEREDIT  1063 /* check "[&7] Useredit" */
#define IDC_EDITUSER_FLAG_ANONYMOUS 1064 /* check "[&8] Anonymous" */
#define IDC_EDITUSER_FLAG_NUKE      1049 /* check "[&A] Nuke" */
#define IDC_EDITUSER_FLAG_UNNUKE    1050 /* check "[&B] Unnuke" */
#define IDC_EDITUSER_FLAG_UNDUPE    1051 /* check "[&C] Undupe" */
#define IDC_EDITUSER_FLAG_KICK      1052 /* check "[&D] Kick" */
#define IDC_EDITUSER_FLAG_KILL      1053 /* check "[&E] Kill" */
#define IDC_EDITUSER_FLAG_TAKE      1054 /* check "[&F] Take" */
#define IDC_EDITUSER_FLAG_GIVE      1055 /* check "[&G] Give" */
#define IDC_EDITUSER_FLAG_USERS     1056 /* check "[&H] Users" */
#define IDC_EDITUSER_FLAG_IDLER     1065 /* check "[&I] Idler" */

#define IDC_EDITUSER_UL_SPEED       1066 /* edit "&UL [kb/s]" */
#define IDC_EDITUSER_DL_SPEED       1067 /* edit "DL [&kb/s]" */
#define IDC_EDITUSER_PASSWORD       1015 /* edit "&Password" */
#define IDC_EDITUSER_RATIO          1041 /* edit "Rati&o" */
#define IDC_EDITUSER_MAX_LOGINS     1014 /* edit "&Max. logins" */
#define IDC_EDITUSER_ALLOTMENT      1045 /* edit "&Allotment [MB]" */
#define IDC_EDITUSER_GROUP_SLOTS    1046 /* edit "Group &slots" */
#define IDC_EDITUSER_LEECH_SLOTS    1048 /* edit "&Leech slots (<-)" */
#define IDC_EDITUSER_TIME_LIMIT     1042 /* edit "&Time [min]" */
#define IDC_EDITUSER_CREDITS        1043 /* edit "C&redits [MB]" */
#define IDC_EDITUSER_TAGLINE        1044 /* edit "Tag&line" */

#define IDC_EDITUSER_AVAIL_GROUPS          1070 /* list "Available groups:" */
#define IDC_EDITUSER_ADD_GROUP             1072 /* button ">>" */
#define IDC_EDITUSER_REMOVE_GROUP          1073 /* button "<<" */
#define IDC_EDITUSER_MEMBER_GROUPS         1071 /* list "Member of:" */
#define IDC_EDITUSER_AVAIL_PRIVATE_GROUPS  1074 /* list "Available private groups:" */
#define IDC_EDITUSER_ADD_PRIVATE_GROUP     1075 /* button ">>" */
#define IDC_EDITUSER_REMOVE_PRIVATE_GROUP  1076 /* button "<<" */
#define IDC_EDITUSER_MEMBER_PRIVATE_GROUPS 1077 /* list "Member of:" */

/* ------------------------------------------------------------------------
 * User commands page (IDD_USER_COMMANDS_PAGE).
 * Mnemonics used: U S T N D A G P R L H O F C
 * (T appears twice: "User sta&ts" and "&Take credits")
 * ------------------------------------------------------------------------ */
#define IDC_USERCMD_USERNAME        1120 /* combo "&Username" */
#define IDC_USERCMD_SHOW_USER       1121 /* default button "&Show user" */
#define IDC_USERCMD_USER_STATS      1122 /* button "User sta&ts" */
#define IDC_USERCMD_SEEN_USER       1123 /* button "See&n user" */
#define IDC_USERCMD_DELETE_USER     1124 /* button "&Delete user" */
#define IDC_USERCMD_AMOUNT          1126 /* edit "&Amount (MB)" */
#define IDC_USERCMD_GIVE_CREDITS    1127 /* button "&Give credits" */
#define IDC_USERCMD_TAKE_CREDITS    1128 /* button "&Take credits" */
#define IDC_USERCMD_MESSAGE         1132 /* edit "optional message" */
#define IDC_USERCMD_PURGE_USERS     1131 /* button "&Purge users" */
#define IDC_USERCMD_READD_NAME      1014 /* edit "Username" (re-add) */
#define IDC_USERCMD_READD_USER      1125 /* button "&Re-Add user" */
#define IDC_USERCMD_LIST_USERS      1129 /* button "&List users" */
#define IDC_USERCMD_LIST_SHORT      1130 /* button "List (s&hort)" */
#define IDC_USERCMD_BY_GROUP        1146 /* radio "Gr&oup" */
#define IDC_USERCMD_BY_FLAG         1147 /* radio "&Flag" */
#define IDC_USERCMD_LIST_GROUP      1133 /* combo of group names */
#define IDC_USERCMD_LIST_FLAG       1134 /* combo of flags (unsorted) */
#define IDC_USERCMD_LIST_SPECIAL    1148 /* button "List spe&cial" */

/* ------------------------------------------------------------------------
 * Groups page (IDD_GROUPS_PAGE).
 * Mnemonics used: C R D N I A
 * ------------------------------------------------------------------------ */
#define IDC_GROUPS_LIST             1106 /* list view: Name, Info */
#define IDC_GROUPS_CHANGE_INFO      1141 /* button "&Change info" */
#define IDC_GROUPS_NEW_INFO         1041 /* edit: new description */
#define IDC_GROUPS_RENAME           1142 /* button "&Rename" */
#define IDC_GROUPS_NEW_NAME         1042 /* edit: new group name */
#define IDC_GROUPS_DELETE           1092 /* button "&Del group" */
#define IDC_GROUPS_ADD_NAME         1014 /* edit "Group &name" */
#define IDC_GROUPS_ADD_INFO         1015 /* edit "Group &info" */
#define IDC_GROUPS_ADD              1091 /* button "&Add group" */

/* ------------------------------------------------------------------------
 * Online users page (IDD_ONLINE_USERS_PAGE).
 * Mnemonics used: U W S K P
 * ------------------------------------------------------------------------ */
#define IDC_ONLINE_LIST             1094 /* list view: Name, PID */
#define IDC_ONLINE_UPDATE           1075 /* default button "&Update list" */
#define IDC_ONLINE_SHOW_USER        1074 /* button "Sho&w user" */
#define IDC_ONLINE_USER_STATS       1076 /* button "User &stats" */
#define IDC_ONLINE_KICK             1072 /* button "&Kick user" */
#define IDC_ONLINE_KILL             1073 /* button "Kill &PID" */

/* ------------------------------------------------------------------------
 * Site commands page (IDD_SITE_COMMANDS_PAGE).
 * Mnemonics used: L O U W R V S T D N A C K G M
 * (U, R, V, S, D and A appear more than once on this page)
 * ------------------------------------------------------------------------ */
#define IDC_SITECMD_LOGIN_LOG       1104 /* button "Login &log" */
#define IDC_SITECMD_SYSLOG          1105 /* button "Syslog l&og" */
#define IDC_SITECMD_LAST_USERS      1103 /* button "Last &users" */
#define IDC_SITECMD_WELCOME         1095 /* button "&Welcome" */
#define IDC_SITECMD_RULES           1090 /* button "Site &rules" */
#define IDC_SITECMD_VERSION         1076 /* button "&Version" */
#define IDC_SITECMD_SITE_TIME       1096 /* button "&Site time" */
#define IDC_SITECMD_VIEW_REQS       1099 /* button "View &reqs" */
#define IDC_SITECMD_AMOUNT          1140 /* edit "Amoun&t" (digits only) */
#define IDC_SITECMD_NEW_DIRS        1133 /* button "New &dirs" */
#define IDC_SITECMD_LIST_NUKES      1134 /* button "List &nukes" */
#define IDC_SITECMD_LIST_UNNUKES    1135 /* button "List &unnukes" */
#define IDC_SITECMD_RELEASE         1136 /* edit "Rele&ase / Filemask" */
#define IDC_SITECMD_SEARCH_DIR      1137 /* button "Sear&ch dir" */
#define IDC_SITECMD_DUPECHECK       1138 /* button "Dupechec&k" */
#define IDC_SITECMD_UNDUPE          1102 /* button "Un&dupe" */
#define IDC_SITECMD_VIEW_MSGS       1097 /* default button "&View msgs" */
#define IDC_SITECMD_TO_USER         1145 /* radio "&Username" */
#define IDC_SITECMD_TO_GROUP        1146 /* radio "&Group" */
#define IDC_SITECMD_TO_ALL          1147 /* radio "&All users" */
#define IDC_SITECMD_MSG_USER        1139 /* combo of user names */
#define IDC_SITECMD_MSG_GROUP       1141 /* combo of group names */
#define IDC_SITECMD_MESSAGE         1042 /* edit "Me&ssage" */
#define IDC_SITECMD_SEND_MESSAGE    1098 /* button "&Message" */

/* ------------------------------------------------------------------------
 * Statistics page (IDD_STATISTICS_PAGE).
 * Mnemonics used: N W E G L T O A I M
 * (N, L and T appear twice on this page)
 * The twelve buttons run without a gap from IDC_STATS_WEEK_UL to
 * IDC_STATS_MONTH_DL.
 * ------------------------------------------------------------------------ */
#define IDC_STATS_ENTRIES           1107 /* edit "E&ntries" */
#define IDC_STATS_WEEK_UL           1108 /* default button "&Week UL" */
#define IDC_STATS_WEEK_DL           1109 /* button "W&eek DL" */
#define IDC_STATS_WEEK_GROUP_UL     1110 /* button "Week &G-UL" */
#define IDC_STATS_WEEK_GROUP_DL     1111 /* button "Week G-D&L" */
#define IDC_STATS_TODAY_UL          1112 /* button "&Today UL" */
#define IDC_STATS_TODAY_DL          1113 /* button "T&oday DL" */
#define IDC_STATS_ALLTIME_UL        1114 /* button "&Alltime UL" */
#define IDC_STATS_ALLTIME_DL        1115 /* button "A&lltime DL" */
#define IDC_STATS_ALLTIME_GROUP_UL  1116 /* button "All&time G-UL" */
#define IDC_STATS_ALLTIME_GROUP_DL  1117 /* button "Allt&ime G-DL" */
#define IDC_STATS_MONTH_UL          1118 /* button "&Month UL" */
#define IDC_STATS_MONTH_DL          1119 /* button "Mo&nth DL" */

/* ------------------------------------------------------------------------
 * Nuke / unnuke dialog (IDD_RELEASE_DIALOG).
 * Mnemonics used: M R D
 * OK and Cancel are the standard IDOK (1) and IDCANCEL (2).
 * ------------------------------------------------------------------------ */
#define IDC_RELEASE_MULTIPLIER      1041 /* edit "&Multiplier" (digits only) */
#define IDC_RELEASE_MULTIPLIER_SPIN 1144 /* up-down buddy of the multiplier */
#define IDC_RELEASE_REASON          1042 /* edit "&Reason" */
#define IDC_RELEASE_DIRECTORY       1014 /* read-only edit "&Directory" */

#endif /* QUORIN_RESOURCE_IDS_H */
