// Pictures of a window as the screen shows it, and the report of an unattended run, for people and scripts
// that look at the program without sitting in front of it.
#pragma once

#include <windows.h>

#include <string>

namespace vela {

// Copies a rectangle of a device context into a PNG file (creating its folder). False when nothing was
// written.
bool SavePng(HDC dc, int x, int y, int width, int height, const std::wstring& path);
// Copies the window's area of the screen into a PNG file. False when nothing could be written.
bool CaptureWindowPng(HWND window, const std::wstring& path);

// Writes (replacing) "result.txt" in the folder with one line of text (UTF-8).
void WriteRunReport(const std::wstring& folder, const std::wstring& line);
// Appends a line to "messages.txt" in the folder (UTF-8).
void AppendRunMessage(const std::wstring& folder, const std::wstring& line);

}  // namespace vela
