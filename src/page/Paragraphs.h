#pragma once

#include <QString>

namespace feedwell {

// The direction attribute of a line: " dir=\"rtl\" " when its first letter that is either a Hebrew
// letter (alef to tav, final forms included) or an ASCII letter is Hebrew, else " dir=\"ltr\" ".
QString DetectDirection(const QString& line);

// Turns plain text (already escaped) into <p class="msgbody"> paragraphs: a paragraph opens at the
// first non-empty line and wherever the direction changes from that of the previous non-empty line;
// lines of one direction stay together, separated by CR LF. Lines of any length stay whole.
// An empty text gives "</p>".
QString BuildParagraphs(const QString& text);

}  // namespace feedwell
