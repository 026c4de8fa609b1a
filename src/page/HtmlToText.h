#pragma once

#include <QString>

namespace feedwell {

// The text a reader sees in the rendered HTML of a message, without a browser engine: gumbo parses
// the HTML as a browser does, and a walk over the tree follows the HTML Standard's rules for the
// rendered text (innerText) with the CSS that decides what shows (display, visibility,
// text-transform, white-space; inline and from <style> sheets). Character references are
// resolved, blocks stand on lines of their own, paragraphs are set apart by an empty line, table
// cells by TAB. Lines end in CR LF; there are no line breaks at either end. Never fails: broken,
// truncated or hostile HTML gives whatever text its well-formed part holds.
QString VisibleText(const QString& html);

// Escapes the characters that would act as markup in a page: & becomes "&amp;", < "&#60;" and
// > "&#62;".
QString EscapeText(const QString& text);

// The message text as the page shows it: VisibleText, escaped, then trimmed of every character at or
// below U+0020 at either end.
QString HtmlToText(const QString& html);

}  // namespace feedwell
