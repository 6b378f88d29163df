#pragma once

// A small reader of the Rich Text Format, enough for the rules document and the
// documents a word processor saves: character runs (bold, italic, underline,
// strike-through, size, colour), paragraphs (alignment, indents, spacing), tabs
// and line breaks, Windows-1252 and Unicode characters. Pictures, fonts, style
// sheets, headers, footers and every other optional destination are skipped.
//
// The input is untrusted: the reader never recurses, caps the nesting of groups,
// clamps every numeric parameter and stops cleanly at truncated escapes.

#include <string_view>

class QTextCursor;
class QTextDocument;

namespace Rtf {

// Deepest nesting of groups a document may use; deeper documents are refused.
inline constexpr int kMaxGroupDepth = 1000;

// Reads the document at the cursor's position. Throws std::runtime_error with a
// French text when the data is not an RTF document (no "{\rtf" at its start) or
// nests its groups deeper than kMaxGroupDepth. Text after the brace that closes
// the outermost group is ignored; groups left open at the end are closed.
void read(std::string_view data, QTextCursor& cursor);

// Replaces the document's content with the RTF data (see read()).
void load(std::string_view data, QTextDocument& document);

} // namespace Rtf
