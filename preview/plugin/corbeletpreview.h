#pragma once

// The C interface of the preview plug-in, libcorbeletpreview.so. A host loads it
// at run time (dlopen) and looks the fifteen entry points up by these plain
// names. Qt objects cross the interface as pointers: the host application is
// its QApplication, windows and host pages are QWidgets. A preview is named by
// a handle: a 32-bit number the plug-in hands out (an index into its own table,
// never a pointer), 0 meaning failure; an unknown or destroyed handle is
// ignored by every entry point. Texts are zero-terminated Windows-1252 strings.
//
// Every entry point must be called from the host's GUI thread. None of them
// lets an exception out except PlugInit, whose failures the host reports
// (an exception crosses the extern "C" boundary safely with GCC and Clang as
// long as both sides are built with exceptions enabled, their default).

#include <cstddef>
#include <cstdint>

class QApplication;
class QWidget;

// The types of the entry points, as a host binds them. They are plain C++
// function types on purpose, so that a caller assumes a call may throw.
namespace CorbeletPreview {
// Remembers the host application and its initialisation text ("Corbelet 1.0"),
// which becomes part of the title of free-standing preview windows.
using PlugInitProc = void (*)(QApplication* application, const char* initText);
// A free-standing preview window owned by `owner` (may be null). Hidden until shown.
using CreateApercusProc = std::uint32_t (*)(QWidget* owner);
// A read-only, scrollable preview embedded in `parent`, filling it. Hidden until shown.
using CreateIncApercusProc = std::uint32_t (*)(QWidget* owner, QWidget* parent);
using DestroyApercusProc = void (*)(std::uint32_t preview);
// Shows a free-standing preview window and brings it to the front.
using ShowApercusProc = void (*)(std::uint32_t preview);
// Shows an embedded preview.
using ShowIncApercusProc = void (*)(std::uint32_t preview);
// Runs a command script on top of what the preview already shows.
using DrawInPreviewProc = void (*)(std::uint32_t preview, const char* script);
// Empties the preview, then runs the command script.
using DrawInPreviewAllProc = void (*)(std::uint32_t preview, const char* script);
// Adds a paragraph of plain text below the preview's content.
using DrawAddProc = void (*)(std::uint32_t preview, const char* text);
// Empties the preview and forgets its page size.
using DrawClearProc = void (*)(std::uint32_t preview);
// Sets the number of copies a print of the preview would make, kept within
// 1..999; returns the number kept (0 for an unknown preview). Nothing prints.
using SetNbPrintProc = int (*)(std::uint32_t preview, int copies);
// With `enabled` non-zero, DrawInPreview accepts RTFEXT lines without the
// BEGINDOC/ENDDOC frame (the document begins by itself).
using AutoBeginProc = void (*)(std::uint32_t preview, int enabled);
// Adds an RTF file (path relative to the current directory, in the file
// system's bytes) below the content, across the page. Returns 1 when it is
// shown, 0 when a notice stands instead.
using RenderRTFFileProc = int (*)(std::uint32_t preview, const char* path);
// Adds a picture of the widget `form` below the content. Returns 1 when shown.
using RenderFormProc = int (*)(std::uint32_t preview, QWidget* form);
// As RenderRTFFile, from `length` bytes of RTF in memory.
using RenderRTFStreamProc = int (*)(std::uint32_t preview, const char* data, std::size_t length);
} // namespace CorbeletPreview

#if defined(CORBELET_PREVIEW_PLUGIN)
#define CORBELET_PREVIEW_EXPORT __attribute__((visibility("default")))

extern "C" {
CORBELET_PREVIEW_EXPORT void PlugInit(QApplication* application, const char* initText);
CORBELET_PREVIEW_EXPORT std::uint32_t CreateApercus(QWidget* owner);
CORBELET_PREVIEW_EXPORT std::uint32_t CreateIncApercus(QWidget* owner, QWidget* parent);
CORBELET_PREVIEW_EXPORT void DestroyApercus(std::uint32_t preview);
CORBELET_PREVIEW_EXPORT void ShowApercus(std::uint32_t preview);
CORBELET_PREVIEW_EXPORT void ShowIncApercus(std::uint32_t preview);
CORBELET_PREVIEW_EXPORT void DrawInPreview(std::uint32_t preview, const char* script);
CORBELET_PREVIEW_EXPORT void DrawInPreviewAll(std::uint32_t preview, const char* script);
CORBELET_PREVIEW_EXPORT void DrawAdd(std::uint32_t preview, const char* text);
CORBELET_PREVIEW_EXPORT void DrawClear(std::uint32_t preview);
CORBELET_PREVIEW_EXPORT int SetNbPrint(std::uint32_t preview, int copies);
CORBELET_PREVIEW_EXPORT void AutoBegin(std::uint32_t preview, int enabled);
CORBELET_PREVIEW_EXPORT int RenderRTFFile(std::uint32_t preview, const char* path);
CORBELET_PREVIEW_EXPORT int RenderForm(std::uint32_t preview, QWidget* form);
CORBELET_PREVIEW_EXPORT int RenderRTFStream(std::uint32_t preview, const char* data,
                                            std::size_t length);
}
#endif
