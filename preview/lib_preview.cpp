#include "preview/lib_preview.h"

#include "layout/programlibrary.h"

#include <QApplication>
#include <QMessageBox>

#include <dlfcn.h>

TDocRtf::TDocRtf(QApplication* application, const std::string& initText,
                 const std::string& libraryName)
    : application(application)
{
    try {
        load(initText, libraryName);
    } catch (...) {
        // Whatever the plug-in's start-up raised: the player is told once and
        // the program goes on with what was bound (the callers check each entry).
        QMessageBox::warning(nullptr, QStringLiteral("Avertissement"),
                             QStringLiteral("Erreur de chargement..."), QMessageBox::Ok);
    }
}

TDocRtf::~TDocRtf()
{
    if (libraryHandle)
        dlclose(libraryHandle);
}

template <typename Proc> void TDocRtf::bind(Proc& entry, const char* name)
{
    // A missing export leaves the entry unset; the plug-in may offer fewer.
    entry = reinterpret_cast<Proc>(dlsym(libraryHandle, name));
}

void TDocRtf::load(const std::string& initText, const std::string& libraryName)
{
    // RTLD_NOW: a library whose symbols do not all resolve fails here, as a
    // library that cannot be loaded, rather than at its first call.
    // RTLD_NODELETE: the plug-in's code stays mapped after dlclose, so that a
    // preview widget it made that outlives the bridge can still be destroyed.
    libraryHandle =
        dlopen(ProgramLibraryFile(libraryName).c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!libraryHandle)
        return; // no plug-in: the rules are simply not shown

    bind(PlugInit, "PlugInit");
    bind(RenderForm, "RenderForm");
    bind(RenderRTFFile, "RenderRTFFile");
    bind(RenderRTFStream, "RenderRTFStream");
    bind(CreateApercus, "CreateApercus");
    bind(CreateIncApercus, "CreateIncApercus");
    bind(ShowApercus, "ShowApercus");
    bind(ShowIncApercus, "ShowIncApercus");
    bind(DestroyApercus, "DestroyApercus");
    bind(AutoBegin, "AutoBegin");
    bind(DrawInPreview, "DrawInPreview");
    bind(DrawInPreviewAll, "DrawInPreviewAll");
    bind(DrawAdd, "DrawAdd");
    bind(DrawClear, "DrawClear");
    bind(SetNbPrint, "SetNbPrint");

    if (PlugInit)
        PlugInit(application, initText.c_str());
}
