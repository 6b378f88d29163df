#pragma once

// The bridge to the preview plug-in (libcorbeletpreview.so): loads the library
// at run time, binds its fifteen entry points and initialises it. It has no
// operation of its own: callers use the bound entry points directly, after
// checking that the one they need is set.

#include "preview/plugin/corbeletpreview.h"

#include <string>

class QApplication;

class TDocRtf
{
public:
    // Loads `libraryName` (a bare name is looked for in the executable's run
    // path, which names the folder of the program's libraries), binds
    // the entry points it exports and calls PlugInit with `application` and
    // `initText` (Windows-1252). A library that is missing or cannot be loaded
    // leaves everything unset and reports nothing; a missing entry point stays
    // unset. An error raised by PlugInit is reported in a warning box
    // "Erreur de chargement..." and construction completes with what was bound.
    TDocRtf(QApplication* application, const std::string& initText,
            const std::string& libraryName = "libcorbeletpreview.so");
    // Releases the library; no entry point is called.
    virtual ~TDocRtf();

    TDocRtf(const TDocRtf&) = delete;
    TDocRtf& operator=(const TDocRtf&) = delete;

    QApplication* application = nullptr; // the host application, not owned
    void* libraryHandle = nullptr;       // from dlopen; null when not loaded

    CorbeletPreview::PlugInitProc PlugInit = nullptr;
    CorbeletPreview::CreateApercusProc CreateApercus = nullptr;
    CorbeletPreview::CreateIncApercusProc CreateIncApercus = nullptr;
    CorbeletPreview::DestroyApercusProc DestroyApercus = nullptr;
    CorbeletPreview::ShowApercusProc ShowApercus = nullptr;
    CorbeletPreview::ShowIncApercusProc ShowIncApercus = nullptr;
    CorbeletPreview::DrawInPreviewProc DrawInPreview = nullptr;
    CorbeletPreview::DrawInPreviewAllProc DrawInPreviewAll = nullptr;
    CorbeletPreview::DrawAddProc DrawAdd = nullptr;
    CorbeletPreview::DrawClearProc DrawClear = nullptr;
    CorbeletPreview::SetNbPrintProc SetNbPrint = nullptr;
    CorbeletPreview::AutoBeginProc AutoBegin = nullptr;
    CorbeletPreview::RenderRTFFileProc RenderRTFFile = nullptr;
    CorbeletPreview::RenderFormProc RenderForm = nullptr;
    CorbeletPreview::RenderRTFStreamProc RenderRTFStream = nullptr;

private:
    template <typename Proc> void bind(Proc& entry, const char* name);
    void load(const std::string& initText, const std::string& libraryName);
};
