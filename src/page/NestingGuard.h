#pragma once

#include <QByteArray>

namespace feedwell {

// The HTML parser checks the stack of open elements at nearly every start tag, so a document that
// nests tens of thousands of elements takes seconds to minutes to parse. Browsers stop nesting at a
// fixed depth; this does the same before parsing: start tags that would open an element deeper than
// `maxDepth`, and as many of the end tags that follow them, are left out. Their text stays.
// Elements that the parser closes on its own (p, li, td, option, …), void elements and the content
// of comments, scripts and styles are not counted. Returns `html` itself when nothing is that deep.
QByteArray LimitNesting(const QByteArray& html, int maxDepth);

}  // namespace feedwell
