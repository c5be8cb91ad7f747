// The sample window's resource ids and texts, shared by the sample, its resources and the self test.
// The sample is compiled with the program's code page (936) and the test with UTF-8, so the same
// literal reaches each in its own encoding.
#pragma once

#define IDD_SAMPLE 200
#define IDD_SAMPLE_PLAIN 201
#define IDC_SAMPLE_CHECK 1101
#define IDC_SAMPLE_EDIT 1102
#define IDC_SAMPLE_ASK 1103
#define IDC_SAMPLE_NOTE 1104
#define IDC_SAMPLE_DISABLED 1105
#define IDC_SAMPLE_PROGRESS 1106
#define IDC_SAMPLE_CHINESE 1107
#define IDC_SAMPLE_ANSWER 1108
#define IDC_SAMPLE_CHANGES 1109
#define IDC_SAMPLE_CLICKS 1110
#define IDC_SAMPLE_HIDDEN 1111
#define IDC_SAMPLE_SLOW 1112
#define IDC_SAMPLE_ICON_STANDARD 1113
#define IDC_SAMPLE_ICON_CUSTOM 1114
#define IDC_SAMPLE_ICON_EMPTY 1115

#ifndef RC_INVOKED
constexpr char kSampleTitle[] = "样例窗口";
constexpr char kSampleChinese[] = "中文显示正常：安装路径";
constexpr char kSampleQuestion[] = "要继续吗？\n第二行";
constexpr char kSampleQuestionCaption[] = "样例询问";
constexpr char kSampleNote[] = "已记录。";
constexpr char kSampleNoteCaption[] = "样例提示";
constexpr int kSampleProgressMax = 50;
constexpr int kSampleProgressPos = 20;
// How long the slow button keeps the sample from its message loop.
constexpr int kSampleSlowMs = 2000;
// Dialog background, so a screenshot can be told from a black or empty picture.
constexpr int kSampleRed = 160, kSampleGreen = 180, kSampleBlue = 220;
// The exit code: kSampleExitBase + the dialog's result, plus kSampleExitChecked when ticked.
constexpr int kSampleExitBase = 40;
constexpr int kSampleExitChecked = 100;
#endif
