#include "page/Css.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace feedwell::css {

namespace {

// Ancestors searched for a descendant combinator; bounds the work on absurdly deep documents.
constexpr int kMaxAncestorSearch = 1024;
// Nested @media blocks followed; deeper ones are skipped.
constexpr int kMaxBlockDepth = 8;

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

std::string_view TrimView(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// Removes /* comments */ and the <!-- --> markers that old mail keeps around style text.
std::string StripComments(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    if (text.compare(i, 2, "/*") == 0) {
      const size_t end = text.find("*/", i + 2);
      if (end == std::string_view::npos) break;
      i = end + 2;
      out += ' ';
    } else if (text.compare(i, 4, "<!--") == 0) {
      i += 4;
    } else if (text.compare(i, 3, "-->") == 0) {
      i += 3;
    } else if (text[i] == '"' || text[i] == '\'') {
      const char quote = text[i];
      size_t end = i + 1;
      while (end < text.size() && text[end] != quote) end += (text[end] == '\\') ? 2 : 1;
      end = std::min(end + 1, text.size());
      out.append(text.substr(i, end - i));
      i = end;
    } else {
      out += text[i++];
    }
  }
  return out;
}

// Splits at `separator` outside brackets, parentheses and quotes.
std::vector<std::string_view> SplitTopLevel(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  int nesting = 0;
  char quote = 0;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quote) {
      if (c == '\\')
        ++i;
      else if (c == quote)
        quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '(' || c == '[') {
      ++nesting;
    } else if ((c == ')' || c == ']') && nesting > 0) {
      --nesting;
    } else if (c == separator && nesting == 0) {
      parts.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  parts.push_back(text.substr(start));
  return parts;
}

// Index of the brace that closes the block opened just before `from`, or npos.
size_t MatchingBrace(std::string_view text, size_t from) {
  int nesting = 1;
  char quote = 0;
  for (size_t i = from; i < text.size(); ++i) {
    const char c = text[i];
    if (quote) {
      if (c == '\\')
        ++i;
      else if (c == quote)
        quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '{') {
      ++nesting;
    } else if (c == '}' && --nesting == 0) {
      return i;
    }
  }
  return std::string_view::npos;
}

template <typename T, size_t N>
bool Lookup(std::string_view value, const std::pair<const char*, T> (&table)[N], T* out) {
  for (const auto& entry : table) {
    if (EqualsIgnoringCase(value, entry.first)) {
      *out = entry.second;
      return true;
    }
  }
  return false;
}

const std::pair<const char*, Display> kDisplays[] = {
    {"none", Display::None},
    {"inline", Display::Inline},
    {"inline-block", Display::InlineBlock},
    {"inline-flex", Display::InlineBlock},
    {"inline-grid", Display::InlineBlock},
    {"ruby", Display::Inline},
    {"block", Display::Block},
    {"flex", Display::Block},
    {"grid", Display::Block},
    {"flow-root", Display::Block},
    {"run-in", Display::Block},
    {"list-item", Display::ListItem},
    {"table", Display::Table},
    {"inline-table", Display::InlineTable},
    {"table-row-group", Display::TableRowGroup},
    {"table-header-group", Display::TableRowGroup},
    {"table-footer-group", Display::TableRowGroup},
    {"table-row", Display::TableRow},
    {"table-cell", Display::TableCell},
    {"table-caption", Display::TableCaption},
    {"table-column", Display::TableColumn},
    {"table-column-group", Display::TableColumn},
    {"contents", Display::Contents},
};
const std::pair<const char*, Visibility> kVisibilities[] = {
    {"visible", Visibility::Visible}, {"hidden", Visibility::Hidden}, {"collapse", Visibility::Hidden}};
const std::pair<const char*, TextTransform> kTransforms[] = {{"none", TextTransform::None},
                                                             {"uppercase", TextTransform::Uppercase},
                                                             {"lowercase", TextTransform::Lowercase},
                                                             {"capitalize", TextTransform::Capitalize}};
const std::pair<const char*, WhiteSpace> kWhiteSpaces[] = {
    {"normal", WhiteSpace::Normal},    {"nowrap", WhiteSpace::NoWrap},
    {"pre", WhiteSpace::Pre},          {"pre-wrap", WhiteSpace::PreWrap},
    {"pre-line", WhiteSpace::PreLine}, {"break-spaces", WhiteSpace::BreakSpaces}};

// A desktop screen: the query list holds, for a wide window, when one of its queries does.
constexpr int kAssumedViewportWidth = 1024;

bool MediaQueryHolds(std::string_view queryList) {
  for (std::string_view query : SplitTopLevel(queryList, ',')) {
    const std::string q = Lower(TrimView(query));
    if (q.empty()) return true;
    bool holds = true;
    size_t i = 0;
    bool negate = false;
    while (i < q.size() && holds) {
      while (i < q.size() && IsSpace(q[i])) ++i;
      if (i >= q.size()) break;
      if (q[i] == '(') {
        const size_t end = q.find(')', i);
        const std::string feature(q.substr(i + 1, (end == std::string::npos ? q.size() : end) - i - 1));
        i = end == std::string::npos ? q.size() : end + 1;
        const size_t colon = feature.find(':');
        const std::string name(TrimView(std::string_view(feature).substr(0, colon)));
        const int number = colon == std::string::npos ? 0 : std::atoi(feature.c_str() + colon + 1);
        if (name == "max-width" || name == "max-device-width")
          holds = kAssumedViewportWidth <= number;
        else if (name == "min-width" || name == "min-device-width")
          holds = kAssumedViewportWidth >= number;
        else
          holds = false;
        continue;
      }
      size_t end = i;
      while (end < q.size() && !IsSpace(q[end]) && q[end] != '(') ++end;
      const std::string word = q.substr(i, end - i);
      i = end;
      if (word == "not")
        negate = true;
      else if (word == "only" || word == "and")
        continue;
      else if (word == "screen" || word == "all")
        holds = true;
      else
        holds = false;
    }
    if (negate) holds = !holds;
    if (holds) return true;
  }
  return false;
}

bool IsNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80 || c == '\\';
}

// Parses one selector; returns false for one that cannot match anything here (pseudo-elements,
// dynamic pseudo-classes) or that is malformed.
bool ParseSelector(std::string_view text, StyleSheet::Selector& selector) {
  text = TrimView(text);
  if (text.empty()) return false;
  selector = {};
  unsigned ids = 0, classes = 0, types = 0;
  size_t i = 0;
  char pending = 0;
  while (i < text.size()) {
    // Combinator (or leading white space).
    bool sawSpace = false;
    while (i < text.size() && IsSpace(text[i])) {
      sawSpace = true;
      ++i;
    }
    if (i >= text.size()) break;
    char combinator = sawSpace ? ' ' : 0;
    if (text[i] == '>' || text[i] == '+' || text[i] == '~') {
      combinator = text[i++];
      while (i < text.size() && IsSpace(text[i])) ++i;
    }
    if (!selector.compounds.empty()) {
      if (!combinator) return false;
      selector.combinators.push_back(combinator);
    } else if (combinator && combinator != ' ') {
      return false;
    }
    pending = 0;
    StyleSheet::Compound compound;
    bool any = false;
    while (i < text.size() && !IsSpace(text[i]) && text[i] != '>' && text[i] != '+' && text[i] != '~') {
      const char c = text[i];
      if (c == '*') {
        ++i;
        any = true;
      } else if (IsNameChar(c) && !any && compound.tag.empty() && compound.conditions.empty()) {
        size_t end = i;
        while (end < text.size() && IsNameChar(text[end])) ++end;
        compound.tag = Lower(text.substr(i, end - i));
        i = end;
        ++types;
      } else if (c == '#' || c == '.') {
        size_t end = i + 1;
        while (end < text.size() && IsNameChar(text[end])) ++end;
        if (end == i + 1) return false;
        compound.conditions.push_back({c == '#' ? StyleSheet::Simple::Id : StyleSheet::Simple::Class,
                                       std::string(text.substr(i + 1, end - i - 1)),
                                       {}});
        (c == '#' ? ids : classes)++;
        i = end;
      } else if (c == '[') {
        const size_t end = text.find(']', i);
        if (end == std::string_view::npos) return false;
        std::string_view inside = TrimView(text.substr(i + 1, end - i - 1));
        i = end + 1;
        ++classes;
        const size_t op = inside.find_first_of("=~^$*|");
        StyleSheet::Simple simple{StyleSheet::Simple::AttrExists, Lower(TrimView(inside.substr(0, op))), {}};
        if (op != std::string_view::npos) {
          size_t valueStart = op + 1;
          switch (inside[op]) {
            case '=':
              simple.kind = StyleSheet::Simple::AttrEquals;
              break;
            case '~':
              simple.kind = StyleSheet::Simple::AttrWord;
              break;
            case '^':
              simple.kind = StyleSheet::Simple::AttrPrefix;
              break;
            case '$':
              simple.kind = StyleSheet::Simple::AttrSuffix;
              break;
            case '*':
              simple.kind = StyleSheet::Simple::AttrContains;
              break;
            default:
              simple.kind = StyleSheet::Simple::AttrDash;
              break;
          }
          if (inside[op] != '=') {
            if (op + 1 >= inside.size() || inside[op + 1] != '=') return false;
            valueStart = op + 2;
          }
          std::string_view value = TrimView(inside.substr(valueStart));
          if (value.size() >= 2 && value.back() == 'i' && IsSpace(value[value.size() - 2])) {
            value = TrimView(value.substr(0, value.size() - 1));
          }
          if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
              value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
          }
          simple.value = std::string(value);
        }
        compound.conditions.push_back(std::move(simple));
      } else if (c == ':') {
        // Pseudo-classes and pseudo-elements: none of them describes the resting document text
        // reliably enough, so such a selector is taken as matching nothing.
        size_t end = i + 1;
        if (end < text.size() && text[end] == ':') ++end;
        while (end < text.size() && IsNameChar(text[end])) ++end;
        if (end < text.size() && text[end] == '(') {
          int nesting = 0;
          while (end < text.size()) {
            if (text[end] == '(')
              ++nesting;
            else if (text[end] == ')' && --nesting == 0)
              break;
            ++end;
          }
          ++end;
        }
        compound.conditions.push_back({StyleSheet::Simple::Never, {}, {}});
        i = std::min(end, text.size());
      } else {
        return false;
      }
    }
    selector.compounds.push_back(std::move(compound));
  }
  (void)pending;
  if (selector.compounds.empty() || selector.combinators.size() + 1 != selector.compounds.size())
    return false;
  selector.specificity = std::min(ids, 255u) << 16 | std::min(classes, 255u) << 8 | std::min(types, 255u);
  return true;
}

bool ContainsWord(std::string_view list, std::string_view word) {
  size_t i = 0;
  while (i < list.size()) {
    while (i < list.size() && IsSpace(list[i])) ++i;
    size_t end = i;
    while (end < list.size() && !IsSpace(list[end])) ++end;
    if (end > i && list.substr(i, end - i) == word) return true;
    i = end;
  }
  return false;
}

bool MatchesSimple(const GumboNode* element, const StyleSheet::Simple& simple) {
  using S = StyleSheet::Simple;
  if (simple.kind == S::Never) return false;
  if (simple.kind == S::Id) {
    const char* id = Attribute(element, "id");
    return id && simple.name == id;
  }
  if (simple.kind == S::Class) {
    const char* classes = Attribute(element, "class");
    return classes && ContainsWord(classes, simple.name);
  }
  const char* raw = Attribute(element, simple.name.c_str());
  if (!raw) return false;
  const std::string_view value(raw);
  const std::string_view wanted(simple.value);
  switch (simple.kind) {
    case S::AttrExists:
      return true;
    case S::AttrEquals:
      return value == wanted;
    case S::AttrWord:
      return ContainsWord(value, wanted);
    case S::AttrPrefix:
      return !wanted.empty() && value.substr(0, wanted.size()) == wanted;
    case S::AttrSuffix:
      return !wanted.empty() && value.size() >= wanted.size() &&
             value.substr(value.size() - wanted.size()) == wanted;
    case S::AttrContains:
      return !wanted.empty() && value.find(wanted) != std::string_view::npos;
    case S::AttrDash:
      return value == wanted || (value.size() > wanted.size() && value.substr(0, wanted.size()) == wanted &&
                                 value[wanted.size()] == '-');
    default:
      return false;
  }
}

bool MatchesCompound(const GumboNode* element, const StyleSheet::Compound& compound) {
  if (!element || element->type != GUMBO_NODE_ELEMENT) return false;
  if (!compound.tag.empty() && TagName(element) != compound.tag) return false;
  for (const auto& simple : compound.conditions) {
    if (!MatchesSimple(element, simple)) return false;
  }
  return true;
}

const GumboNode* ParentElement(const GumboNode* node) {
  const GumboNode* parent = node->parent;
  return parent && parent->type == GUMBO_NODE_ELEMENT ? parent : nullptr;
}

const GumboNode* PreviousElement(const GumboNode* node) {
  const GumboNode* parent = node->parent;
  if (!parent) return nullptr;
  const GumboVector& siblings =
      parent->type == GUMBO_NODE_DOCUMENT ? parent->v.document.children : parent->v.element.children;
  for (size_t i = node->index_within_parent; i-- > 0;) {
    const auto* sibling = static_cast<const GumboNode*>(siblings.data[i]);
    if (sibling->type == GUMBO_NODE_ELEMENT) return sibling;
  }
  return nullptr;
}

// Matches compounds [0, last] with compound `last` on `element`, right to left.
bool MatchesFrom(const GumboNode* element, const StyleSheet::Selector& selector, size_t last) {
  if (!MatchesCompound(element, selector.compounds[last])) return false;
  if (last == 0) return true;
  const char combinator = selector.combinators[last - 1];
  if (combinator == '>') {
    const GumboNode* parent = ParentElement(element);
    return parent && MatchesFrom(parent, selector, last - 1);
  }
  if (combinator == '+') {
    const GumboNode* previous = PreviousElement(element);
    return previous && MatchesFrom(previous, selector, last - 1);
  }
  int budget = kMaxAncestorSearch;
  const GumboNode* next = combinator == ' ' ? ParentElement(element) : PreviousElement(element);
  while (next && budget-- > 0) {
    if (MatchesFrom(next, selector, last - 1)) return true;
    next = combinator == ' ' ? ParentElement(next) : PreviousElement(next);
  }
  return false;
}

// Most mail CSS sets colours and fonts; rules that set none of our properties are not kept.
bool MentionsKnownProperty(const std::string& declarations) {
  const std::string lower = Lower(declarations);
  for (const char* name : {"display", "visibility", "text-transform", "white-space"}) {
    if (lower.find(name) != std::string::npos) return true;
  }
  return false;
}

}  // namespace

std::string TagName(const GumboNode* element) {
  if (element->v.element.tag != GUMBO_TAG_UNKNOWN) return gumbo_normalized_tagname(element->v.element.tag);
  GumboStringPiece piece = element->v.element.original_tag;
  gumbo_tag_from_original_text(&piece);
  return Lower(std::string_view(piece.data ? piece.data : "", piece.data ? piece.length : 0));
}

const char* Attribute(const GumboNode* element, const char* name) {
  const GumboAttribute* attribute = gumbo_get_attribute(&element->v.element.attributes, name);
  return attribute ? attribute->value : nullptr;
}

void ApplyDeclarations(std::string_view block, unsigned long long baseWeight, bool inlineStyle,
                       Declarations& out) {
  for (std::string_view declaration : SplitTopLevel(block, ';')) {
    const size_t colon = declaration.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string property = Lower(TrimView(declaration.substr(0, colon)));
    std::string_view value = TrimView(declaration.substr(colon + 1));
    bool important = false;
    const size_t bang = value.rfind('!');
    if (bang != std::string_view::npos && EqualsIgnoringCase(TrimView(value.substr(bang + 1)), "important")) {
      important = true;
      value = TrimView(value.substr(0, bang));
    }
    // Tiers: 1 author, 2 inline, 3 author !important, 4 inline !important (0 is the browser's own).
    const unsigned long long tier = important ? (inlineStyle ? 4 : 3) : (inlineStyle ? 2 : 1);
    const unsigned long long weight = tier << 60 | (baseWeight & ((1ULL << 60) - 1));
    if (property == "display") {
      Display display;
      if (Lookup(value, kDisplays, &display)) out.display.Offer(display, weight);
    } else if (property == "visibility") {
      Visibility visibility;
      if (Lookup(value, kVisibilities, &visibility)) out.visibility.Offer(visibility, weight);
    } else if (property == "text-transform") {
      TextTransform transform;
      if (Lookup(value, kTransforms, &transform)) out.textTransform.Offer(transform, weight);
    } else if (property == "white-space") {
      WhiteSpace whiteSpace;
      if (Lookup(value, kWhiteSpaces, &whiteSpace)) out.whiteSpace.Offer(whiteSpace, weight);
    }
  }
}

void StyleSheet::Add(std::string_view cssText) {
  ParseRules(StripComments(cssText), 0);
}

void StyleSheet::ParseRules(std::string_view text, int depth) {
  size_t i = 0;
  while (i < text.size()) {
    const size_t open = text.find_first_of("{;}", i);
    if (open == std::string_view::npos) break;
    if (text[open] != '{') {  // an at-rule without a block, or a stray character
      i = open + 1;
      continue;
    }
    const std::string_view prelude = TrimView(text.substr(i, open - i));
    const size_t close = MatchingBrace(text, open + 1);
    const std::string_view body =
        text.substr(open + 1, (close == std::string_view::npos ? text.size() : close) - open - 1);
    i = close == std::string_view::npos ? text.size() : close + 1;
    if (!prelude.empty() && prelude.front() == '@') {
      if (depth < kMaxBlockDepth && prelude.size() > 6 &&
          EqualsIgnoringCase(prelude.substr(0, 6), "@media") && MediaQueryHolds(prelude.substr(6))) {
        ParseRules(body, depth + 1);
      }
      continue;
    }
    const std::string declarations(body);
    if (!MentionsKnownProperty(declarations)) continue;
    for (std::string_view part : SplitTopLevel(prelude, ',')) {
      Rule rule;
      if (!ParseSelector(part, rule.selector)) continue;
      rule.declarations = declarations;
      rule.order = nextOrder_++;
      rules_.push_back(std::move(rule));
    }
  }
}

void StyleSheet::Apply(const GumboNode* element, Declarations& out) const {
  for (const Rule& rule : rules_) {
    if (!MatchesFrom(element, rule.selector, rule.selector.compounds.size() - 1)) continue;
    const unsigned long long weight =
        static_cast<unsigned long long>(rule.selector.specificity) << 32 | rule.order;
    ApplyDeclarations(rule.declarations, weight, false, out);
  }
}

}  // namespace feedwell::css
