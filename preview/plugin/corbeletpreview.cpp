// The fifteen entry points of the preview plug-in. Previews live in a table of
// the plug-in's own; a handle is the index of its entry plus one. Entries are
// never reused, so a stale handle can only name a destroyed preview, which
// every entry point ignores.

#include "preview/plugin/corbeletpreview.h"

#include "preview/plugin/previewarea.h"
#include "text/qtwindows1252.h"

#include <QApplication>
#include <QPointer>
#include <QScrollBar>
#include <QWidget>

#include <algorithm>
#include <exception>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace {

using Preview::PreviewArea;

struct PluginState
{
    QPointer<QApplication> application;
    QString initText;
    std::vector<QPointer<PreviewArea>> previews;
};

PluginState& state()
{
    static PluginState plugin;
    return plugin;
}

PreviewArea* find(std::uint32_t handle)
{
    const auto& previews = state().previews;
    if (handle == 0 || handle > previews.size())
        return nullptr;
    return previews[handle - 1].data(); // null once destroyed, by us or by its parent
}

bool haveApplication()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

std::uint32_t enter(PreviewArea* preview)
{
    auto& previews = state().previews;
    if (previews.size() >= std::numeric_limits<std::uint32_t>::max()) {
        delete preview;
        return 0;
    }
    previews.emplace_back(preview);
    return static_cast<std::uint32_t>(previews.size());
}

std::string_view text(const char* bytes)
{
    return bytes ? std::string_view(bytes) : std::string_view();
}

// What a drawing entry point does when Qt or memory fails it: the preview says
// so rather than the host crashing on an exception it cannot expect.
template <typename Action> void drawGuarded(PreviewArea* preview, Action action)
{
    if (!preview)
        return;
    try {
        action(*preview);
    } catch (const std::exception& error) {
        preview->clear(false);
        preview->addText(QStringLiteral("Aperçu indisponible : %1").arg(error.what()));
    }
}

static_assert(std::is_same_v<decltype(&PlugInit), CorbeletPreview::PlugInitProc>);
static_assert(std::is_same_v<decltype(&CreateApercus), CorbeletPreview::CreateApercusProc>);
static_assert(std::is_same_v<decltype(&CreateIncApercus), CorbeletPreview::CreateIncApercusProc>);
static_assert(std::is_same_v<decltype(&DestroyApercus), CorbeletPreview::DestroyApercusProc>);
static_assert(std::is_same_v<decltype(&ShowApercus), CorbeletPreview::ShowApercusProc>);
static_assert(std::is_same_v<decltype(&ShowIncApercus), CorbeletPreview::ShowIncApercusProc>);
static_assert(std::is_same_v<decltype(&DrawInPreview), CorbeletPreview::DrawInPreviewProc>);
static_assert(std::is_same_v<decltype(&DrawInPreviewAll), CorbeletPreview::DrawInPreviewAllProc>);
static_assert(std::is_same_v<decltype(&DrawAdd), CorbeletPreview::DrawAddProc>);
static_assert(std::is_same_v<decltype(&DrawClear), CorbeletPreview::DrawClearProc>);
static_assert(std::is_same_v<decltype(&SetNbPrint), CorbeletPreview::SetNbPrintProc>);
static_assert(std::is_same_v<decltype(&AutoBegin), CorbeletPreview::AutoBeginProc>);
static_assert(std::is_same_v<decltype(&RenderRTFFile), CorbeletPreview::RenderRTFFileProc>);
static_assert(std::is_same_v<decltype(&RenderForm), CorbeletPreview::RenderFormProc>);
static_assert(std::is_same_v<decltype(&RenderRTFStream), CorbeletPreview::RenderRTFStreamProc>);

} // namespace

extern "C" {

void PlugInit(QApplication* application, const char* initText)
{
    state().application = application;
    state().initText = Windows1252::toQString(text(initText));
}

std::uint32_t CreateApercus(QWidget* owner)
{
    if (!haveApplication())
        return 0;
    try {
        auto* preview = new PreviewArea(owner, false);
        if (!owner)
            preview->setAttribute(Qt::WA_DeleteOnClose); // nothing else would ever free it
        const QString& initText = state().initText;
        preview->setWindowTitle(initText.isEmpty() ? QStringLiteral("Aperçu")
                                                   : QStringLiteral("Aperçu - %1").arg(initText));
        return enter(preview);
    } catch (const std::exception&) {
        return 0; // 0 is the failure the host checks for
    }
}

std::uint32_t CreateIncApercus(QWidget* /*owner*/, QWidget* parent)
{
    if (!parent || !haveApplication())
        return 0;
    try {
        auto* preview = new PreviewArea(parent, true);
        preview->hide(); // until ShowIncApercus
        return enter(preview);
    } catch (const std::exception&) {
        return 0; // 0 is the failure the host checks for
    }
}

void DestroyApercus(std::uint32_t preview)
{
    if (PreviewArea* area = find(preview))
        delete area; // its parent, if any, forgets it; the table's pointer turns null
}

void ShowApercus(std::uint32_t preview)
{
    if (PreviewArea* area = find(preview)) {
        area->show();
        if (area->isWindow()) {
            area->raise();
            area->activateWindow();
        }
    }
}

void ShowIncApercus(std::uint32_t preview)
{
    if (PreviewArea* area = find(preview))
        area->show();
}

void DrawInPreview(std::uint32_t preview, const char* script)
{
    drawGuarded(find(preview),
                [&](PreviewArea& area) { area.runScript(text(script), !area.autoBegin); });
}

void DrawInPreviewAll(std::uint32_t preview, const char* script)
{
    drawGuarded(find(preview), [&](PreviewArea& area) {
        area.clear(true);
        area.runScript(text(script), true);
        area.verticalScrollBar()->setValue(0);
    });
}

void DrawAdd(std::uint32_t preview, const char* line)
{
    drawGuarded(find(preview),
                [&](PreviewArea& area) { area.addText(Windows1252::toQString(text(line))); });
}

void DrawClear(std::uint32_t preview)
{
    drawGuarded(find(preview), [](PreviewArea& area) { area.clear(true); });
}

int SetNbPrint(std::uint32_t preview, int copies)
{
    PreviewArea* area = find(preview);
    if (!area)
        return 0;
    area->copies = std::clamp(copies, 1, 999);
    return area->copies;
}

void AutoBegin(std::uint32_t preview, int enabled)
{
    if (PreviewArea* area = find(preview))
        area->autoBegin = enabled != 0;
}

int RenderRTFFile(std::uint32_t preview, const char* path)
{
    bool shown = false;
    drawGuarded(find(preview),
                [&](PreviewArea& area) { shown = area.addRtfFile(std::string(text(path))); });
    return shown ? 1 : 0;
}

int RenderForm(std::uint32_t preview, QWidget* form)
{
    bool shown = false;
    drawGuarded(find(preview), [&](PreviewArea& area) {
        if (!form)
            return;
        area.addPicture(form->grab().toImage());
        shown = true;
    });
    return shown ? 1 : 0;
}

int RenderRTFStream(std::uint32_t preview, const char* data, std::size_t length)
{
    bool shown = false;
    drawGuarded(find(preview), [&](PreviewArea& area) {
        const std::string_view bytes = data ? std::string_view(data, length) : std::string_view();
        shown = area.addRtfData(bytes, QStringLiteral("flux RTF"));
    });
    return shown ? 1 : 0;
}

} // extern "C"
