// A stand-in preview plug-in for the bridge's tests. Built three times:
// TESTPLUGIN_NOINIT leaves PlugInit out; TESTPLUGIN_THROWING exports a PlugInit
// that throws, as a failing plug-in start-up would; TESTPLUGIN_RECORDING
// initialises and creates previews. Each records the calls the host makes to
// initialise, create, draw, show and destroy a preview, with their arguments,
// and hands them back through TestPluginCallCount and TestPluginCall.

#include "preview/plugin/corbeletpreview.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t RecordedHandle = 7;

std::vector<std::string>& calls()
{
    static std::vector<std::string> recorded;
    return recorded;
}

void record(std::string call)
{
    calls().push_back(std::move(call));
}

} // namespace

extern "C" {

#if defined(TESTPLUGIN_THROWING)
void PlugInit(QApplication*, const char*)
{
    throw std::runtime_error("échec de l'initialisation du module d'aperçu");
}
#endif

// The calls recorded so far, for the tests to read.
__attribute__((visibility("default"))) int TestPluginCallCount()
{
    return static_cast<int>(calls().size());
}

__attribute__((visibility("default"))) const char* TestPluginCall(int index)
{
    return calls().at(static_cast<std::size_t>(index)).c_str();
}

#if defined(TESTPLUGIN_RECORDING)
void PlugInit(QApplication* application, const char* initText)
{
    record("PlugInit " + std::to_string(reinterpret_cast<std::uintptr_t>(application)) + " " +
           initText);
}

std::uint32_t CreateIncApercus(QWidget* owner, QWidget* parent)
{
    record("CreateIncApercus " + std::to_string(reinterpret_cast<std::uintptr_t>(owner)) + " " +
           std::to_string(reinterpret_cast<std::uintptr_t>(parent)));
    return RecordedHandle;
}
#else
std::uint32_t CreateIncApercus(QWidget*, QWidget*)
{
    return 0;
}
#endif

std::uint32_t CreateApercus(QWidget*)
{
    return 0;
}
void DestroyApercus(std::uint32_t preview)
{
    record("DestroyApercus " + std::to_string(preview));
}
void ShowApercus(std::uint32_t) {}
void ShowIncApercus(std::uint32_t preview)
{
    record("ShowIncApercus " + std::to_string(preview));
}
void DrawInPreview(std::uint32_t, const char*) {}
void DrawInPreviewAll(std::uint32_t preview, const char* script)
{
    record("DrawInPreviewAll " + std::to_string(preview) + " " + script);
}
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
