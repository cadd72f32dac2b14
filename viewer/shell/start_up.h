// Start-up of the viewer: the main window with its loading, and the two bars laid over its top
// and bottom edge.
#pragma once

// GBK texts of the console while loading.
constexpr const char* kReadingModelText =  // 正在读取模型，请稍后。。。。。。。。
    "\xD5\xFD\xD4\xDA\xB6\xC1\xC8\xA1\xC4\xA3\xD0\xCD\xA3\xAC\xC7\xEB\xC9\xD4\xBA\xF3"
    "\xA1\xA3\xA1\xA3\xA1\xA3\xA1\xA3\xA1\xA3\xA1\xA3\xA1\xA3\xA1\xA3";
constexpr const char* kReadingDoneText =  // 读取完毕！主程序关闭前请不要关闭此窗口。
    "\xB6\xC1\xC8\xA1\xCD\xEA\xB1\xCF\xA3\xA1\xD6\xF7\xB3\xCC\xD0\xF2\xB9\xD8\xB1\xD5"
    "\xC7\xB0\xC7\xEB\xB2\xBB\xD2\xAA\xB9\xD8\xB1\xD5\xB4\xCB\xB4\xB0\xBF\xDA\xA1\xA3";

// Everything main does between glutInit and glutMainLoop: the three windows, the loading and
// the callbacks. glutInit must have run.
void open_viewer_windows();

void init_main();
