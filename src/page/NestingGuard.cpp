#include "page/NestingGuard.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <string_view>

namespace feedwell {

namespace {

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool OneOf(std::string_view name, std::initializer_list<std::string_view> names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Elements that never hold children, or that the parser closes when a sibling opens.
bool IsUncounted(std::string_view name) {
  return OneOf(name,
               {"area",  "base",    "br",     "col",   "embed", "hr",      "img",      "input",    "link",
                "meta",  "param",   "source", "track", "wbr",   "keygen",  "basefont", "bgsound",  "frame",
                "image", "isindex", "p",      "li",    "dt",    "dd",      "option",   "optgroup", "tr",
                "td",    "th",      "tbody",  "thead", "tfoot", "caption", "colgroup", "rb",       "rt",
                "rtc",   "rp",      "html",   "head",  "body"});
}

// Elements whose content is text up to their end tag.
bool IsRawText(std::string_view name) {
  return OneOf(name, {"script", "style", "textarea", "title", "xmp", "iframe", "noembed", "noframes"});
}

}  // namespace

QByteArray LimitNesting(const QByteArray& html, int maxDepth) {
  const char* data = html.constData();
  const size_t size = static_cast<size_t>(html.size());
  const std::string_view text(data, size);
  QByteArray out;
  bool rewriting = false;
  size_t copiedUpTo = 0;  // while rewriting: bytes before this are in `out`
  int depth = 0;
  int dropped = 0;  // left-out start tags whose end tags are still to come

  auto drop = [&](size_t from, size_t to) {
    if (!rewriting) {
      out.reserve(html.size());
      rewriting = true;
    }
    out.append(data + copiedUpTo, static_cast<qsizetype>(from - copiedUpTo));
    copiedUpTo = to;
  };

  size_t i = 0;
  while (i < size) {
    const size_t lt = text.find('<', i);
    if (lt == std::string_view::npos || lt + 1 >= size) break;
    const char next = text[lt + 1];
    if (text.compare(lt, 4, "<!--") == 0) {
      const size_t end = text.find("-->", lt + 4);
      i = end == std::string_view::npos ? size : end + 3;
      continue;
    }
    if (next == '!' || next == '?') {
      const size_t end = text.find('>', lt + 2);
      i = end == std::string_view::npos ? size : end + 1;
      continue;
    }
    const bool endTag = next == '/';
    const size_t nameStart = lt + (endTag ? 2 : 1);
    if (nameStart >= size || !IsAsciiLetter(text[nameStart])) {
      i = lt + 1;
      continue;
    }
    size_t nameEnd = nameStart;
    while (nameEnd < size && !std::strchr(" \t\n\r\f/>", text[nameEnd])) ++nameEnd;
    std::array<char, 16> lower{};
    const size_t nameLength = std::min(nameEnd - nameStart, lower.size());
    for (size_t k = 0; k < nameLength; ++k) {
      lower[k] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[nameStart + k])));
    }
    const std::string_view name(lower.data(), nameEnd - nameStart <= lower.size() ? nameLength : 0);
    // The tag ends at the first '>' outside quoted attribute values.
    size_t end = nameEnd;
    char quote = 0;
    while (end < size && (quote || text[end] != '>')) {
      if (quote) {
        if (text[end] == quote) quote = 0;
      } else if ((text[end] == '"' || text[end] == '\'') && end > 0 &&
                 (text[end - 1] == '=' || std::isspace(static_cast<unsigned char>(text[end - 1])))) {
        quote = text[end];
      }
      ++end;
    }
    const size_t tagEnd = std::min(end + 1, size);
    const bool selfClosing = end < size && end > nameEnd && text[end - 1] == '/';
    if (endTag) {
      if (!IsUncounted(name)) {
        if (dropped > 0) {
          --dropped;
          drop(lt, tagEnd);
        } else if (depth > 0) {
          --depth;
        }
      }
      i = tagEnd;
      continue;
    }
    if (IsRawText(name)) {
      // Skip the content up to the matching end tag, whatever it holds.
      size_t k = tagEnd;
      while (k < size) {
        k = text.find("</", k);
        if (k == std::string_view::npos) break;
        if (k + 2 + name.size() <= size) {
          bool same = true;
          for (size_t c = 0; c < name.size() && same; ++c) {
            same = std::tolower(static_cast<unsigned char>(text[k + 2 + c])) == name[c];
          }
          if (same) break;
        }
        k += 2;
      }
      i = k == std::string_view::npos ? size : k;
      continue;
    }
    if (!IsUncounted(name) && !selfClosing) {
      if (depth >= maxDepth) {
        ++dropped;
        drop(lt, tagEnd);
      } else {
        ++depth;
      }
    }
    i = tagEnd;
  }
  if (!rewriting) return html;
  out.append(data + copiedUpTo, static_cast<qsizetype>(size - copiedUpTo));
  return out;
}

}  // namespace feedwell
