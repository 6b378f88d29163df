#pragma once

// The rules document in the configuration window: the command script sent to
// the preview plug-in and the calls that create, fill, show and destroy the
// embedded preview.

#include "preview/lib_preview.h"

#include <cstdint>
#include <string>

class QString;
class QWidget;

// The five-line command script for a page of width x height pixels showing
// the RTF file `document` (Windows-1252; CR LF between lines, none after ENDDOC).
std::string PreviewScript(int width, int height, const std::string& document);

// Creates the preview inside `page` (CreateIncApercus with `window` as owner),
// draws the rules document `document` (a full path) into it with the script of
// the page's current size (DrawInPreviewAll) and shows it (ShowIncApercus).
// When the plug-in lacks one of these entry points or cannot create the
// preview, the page shows a short notice instead. Returns the preview handle,
// 0 when there is none.
std::uint32_t ShowRulesPreview(TDocRtf& bridge, QWidget* window, QWidget* page,
                               const QString& document);

// Destroys the preview (DestroyApercus) when there is one and the entry is bound.
void DestroyRulesPreview(TDocRtf& bridge, std::uint32_t handle);

// The process-wide bridge, created on the first call with the application and
// the initialisation text "Corbelet <version>"; it lives until the process ends.
TDocRtf& DocRtf();
