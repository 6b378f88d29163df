// A stand-in preview plug-in for the bridge's tests. Built twice:
// TESTPLUGIN_NOINIT leaves PlugInit out; TESTPLUGIN_THROWING exports a PlugInit
// that throws, as a failing plug-in start-up would.

#include "preview/plugin/corbeletpreview.h"

#include <stdexcept>

extern "C" {

#if defined(TESTPLUGIN_THROWING)
void PlugInit(QApplication*, const char*)
{
    throw std::runtime_error("échec de l'initialisation du module d'aperçu");
}
#endif

std::uint32_t CreateApercus(QWidget*)
{
    return 0;
}
std::uint32_t CreateIncApercus(QWidget*, QWidget*)
{
    return 0;
}
void DestroyApercus(std::uint32_t) {}
void ShowApercus(std::uint32_t) {}
void ShowIncApercus(std::uint32_t) {}
void DrawInPreview(std::uint32_t, const char*) {}
void DrawInPreviewAll(std::uint32_t, const char*) {}
void DrawAdd(std::uint32_t, const char*) {}
void DrawClear(std::uint32_t) {}
int SetNbPrint(std::uint32_t, int)
{
    return 0;
}
void AutoBegin(std::uint32_t, int) {}
int RenderRTFFile(std::uint32_t, const char*)
{
    return 0;
}
int RenderForm(std::uint32_t, QWidget*)
{
    return 0;
}
int RenderRTFStream(std::uint32_t, const char*, std::size_t)
{
    return 0;
}
}
