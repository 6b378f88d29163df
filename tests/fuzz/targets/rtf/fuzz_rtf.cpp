// Fuzz target of the preview plug-in's readers: the RTF reader, followed by
// the layout the preview makes of its result, and the command script reader.
// Both may refuse their input with std::runtime_error; anything else (a crash,
// a sanitizer report, a hang) is a fault.

#include "preview/rtf/previewcommands.h"
#include "preview/rtf/rtfreader.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string_view>

// Qt keeps the font patterns it asks fontconfig for until the process ends and
// never hands them back; they are not the readers' leaks.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Laying text out needs fonts, hence a GUI application; the offscreen
    // platform needs no display. The application lives as long as the process.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "fuzz_rtf";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
    // The first layout loads the system's font configuration, which stays in
    // memory for the rest of the run: load it here, before the leak checks of
    // the inputs begin.
    QTextDocument warmUp(QStringLiteral("Corbelet"));
    warmUp.setTextWidth(100);
    (void)warmUp.size();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    try {
        QTextDocument document;
        Rtf::load(input, document);
        document.setTextWidth(387);
        (void)document.size();
    } catch (const std::runtime_error&) {
        // Refused as not RTF or nested too deep: the preview shows a notice.
    }
    try {
        (void)Preview::parseCommands(input);
        (void)Preview::parseCommands(input, false);
    } catch (const std::runtime_error&) {
        // An unreadable line: the preview shows a notice.
    }
    return 0;
}
