#pragma once
// Controls that the link properties and the bulk edit dialogs share: the mode radios and
// the last-retrieval pickers with their buttons.

#define IDC_SENDER_SUBJECT_WITH_SENDER 1063
#define IDC_SENDER_SUBJECT_ONLY 1064
#define IDC_SENDER_ONLY 1065
#define IDC_HTML_NORMAL 1074
#define IDC_HTML_BREAK_LINES 1075
#define IDC_HTML_PREFETCH_LINK 1076
#define IDC_LAST_RETRIEVED_DATE 1015
#define IDC_LAST_RETRIEVED_TIME 1028
#define IDC_LAST_RETRIEVED_NOW 1046
#define IDC_LAST_RETRIEVED_CLEAR 1047
