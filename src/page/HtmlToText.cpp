#include "page/HtmlToText.h"

#include <gumbo.h>

#include <QByteArray>
#include <QStringDecoder>
#include <cstring>
#include <memory>
#include <vector>

#include "common/Text.h"
#include "page/Css.h"
#include "page/NestingGuard.h"

namespace feedwell {

namespace {

using css::Display;
using css::TextTransform;
using css::Visibility;
using css::WhiteSpace;

GumboVector* ChildrenOf(GumboNode* node) {
  switch (node->type) {
    case GUMBO_NODE_DOCUMENT:
      return &node->v.document.children;
    case GUMBO_NODE_ELEMENT:
    case GUMBO_NODE_TEMPLATE:
      return &node->v.element.children;
    default:
      return nullptr;
  }
}

const GumboVector* ChildrenOf(const GumboNode* node) {
  return ChildrenOf(const_cast<GumboNode*>(node));
}

const GumboNode* Child(const GumboVector* children, unsigned i) {
  return static_cast<const GumboNode*>(children->data[i]);
}

// Counted nesting depth kept (see LimitNesting); far beyond any real message, and the elements the
// count leaves out (table rows and cells, paragraphs, list items) keep the real depth within what
// the parser handles quickly.
constexpr int kMaxNesting = 1024;

GumboOptions ParserOptions() {
  GumboOptions options = kGumboDefaultOptions;
  // Recording parse errors copies the stack of open elements for each one, which costs memory in
  // proportion to the square of the nesting depth; nothing here reads the errors.
  options.max_errors = 0;
  return options;
}

// gumbo frees its tree recursively, which a deeply nested document would take past the end of
// the stack. Hanging every node directly under the document first makes that recursion one level
// deep; the nodes themselves are freed exactly as before.
void FlattenForDestruction(const GumboOptions& options, GumboOutput* output) {
  GumboNode* document = output->document;
  std::vector<GumboNode*> all;
  std::vector<GumboNode*> pending{document};
  while (!pending.empty()) {
    GumboNode* node = pending.back();
    pending.pop_back();
    GumboVector* children = ChildrenOf(node);
    if (!children) continue;
    for (unsigned i = 0; i < children->length; ++i) {
      auto* child = static_cast<GumboNode*>(children->data[i]);
      all.push_back(child);
      pending.push_back(child);
    }
    children->length = 0;
  }
  if (all.empty()) return;
  GumboVector& top = document->v.document.children;
  auto* data = static_cast<void**>(options.allocator(options.userdata, sizeof(void*) * all.size()));
  if (!data) return;
  for (size_t i = 0; i < all.size(); ++i) data[i] = all[i];
  if (top.capacity > 0) options.deallocator(options.userdata, top.data);
  top.data = data;
  top.length = static_cast<unsigned>(all.size());
  top.capacity = static_cast<unsigned>(all.size());
}

struct ParsedDocument {
  GumboOptions options = ParserOptions();
  QByteArray utf8;
  GumboOutput* output = nullptr;

  explicit ParsedDocument(const QString& html) : utf8(LimitNesting(html.toUtf8(), kMaxNesting)) {
    output = gumbo_parse_with_options(&options, utf8.constData(), static_cast<size_t>(utf8.size()));
  }
  ~ParsedDocument() {
    if (!output) return;
    FlattenForDestruction(options, output);
    gumbo_destroy_output(&options, output);
  }
  ParsedDocument(const ParsedDocument&) = delete;
  ParsedDocument& operator=(const ParsedDocument&) = delete;
};

// The browser's own style sheet, as far as it concerns which text shows and how it breaks.
Display DefaultDisplay(const GumboNode* element) {
  switch (element->v.element.tag) {
    case GUMBO_TAG_HEAD:
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_TEMPLATE:
    case GUMBO_TAG_TITLE:
    case GUMBO_TAG_META:
    case GUMBO_TAG_LINK:
    case GUMBO_TAG_BASE:
    case GUMBO_TAG_PARAM:
    case GUMBO_TAG_NOEMBED:
    case GUMBO_TAG_NOFRAMES:
    case GUMBO_TAG_AREA:
    case GUMBO_TAG_DATALIST:
    case GUMBO_TAG_RP:
    case GUMBO_TAG_TRACK:
    case GUMBO_TAG_SOURCE:
    case GUMBO_TAG_BASEFONT:
    case GUMBO_TAG_BGSOUND:
      return Display::None;
    case GUMBO_TAG_INPUT: {
      const char* type = css::Attribute(element, "type");
      return type && QByteArray(type).toLower() == "hidden" ? Display::None : Display::Inline;
    }
    case GUMBO_TAG_HTML:
    case GUMBO_TAG_BODY:
    case GUMBO_TAG_ADDRESS:
    case GUMBO_TAG_BLOCKQUOTE:
    case GUMBO_TAG_CENTER:
    case GUMBO_TAG_DIV:
    case GUMBO_TAG_FIGURE:
    case GUMBO_TAG_FIGCAPTION:
    case GUMBO_TAG_FOOTER:
    case GUMBO_TAG_FORM:
    case GUMBO_TAG_HEADER:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_LEGEND:
    case GUMBO_TAG_LISTING:
    case GUMBO_TAG_MAIN:
    case GUMBO_TAG_P:
    case GUMBO_TAG_PLAINTEXT:
    case GUMBO_TAG_PRE:
    case GUMBO_TAG_XMP:
    case GUMBO_TAG_ARTICLE:
    case GUMBO_TAG_ASIDE:
    case GUMBO_TAG_H1:
    case GUMBO_TAG_H2:
    case GUMBO_TAG_H3:
    case GUMBO_TAG_H4:
    case GUMBO_TAG_H5:
    case GUMBO_TAG_H6:
    case GUMBO_TAG_HGROUP:
    case GUMBO_TAG_NAV:
    case GUMBO_TAG_SECTION:
    case GUMBO_TAG_DL:
    case GUMBO_TAG_DT:
    case GUMBO_TAG_DD:
    case GUMBO_TAG_OL:
    case GUMBO_TAG_UL:
    case GUMBO_TAG_MENU:
    case GUMBO_TAG_DIR:
    case GUMBO_TAG_FIELDSET:
    case GUMBO_TAG_DETAILS:
    case GUMBO_TAG_SUMMARY:
    case GUMBO_TAG_FRAMESET:
    case GUMBO_TAG_FRAME:
    case GUMBO_TAG_MULTICOL:
    case GUMBO_TAG_OPTGROUP:
      return Display::Block;
    case GUMBO_TAG_LI:
      return Display::ListItem;
    case GUMBO_TAG_TABLE:
      return Display::Table;
    case GUMBO_TAG_CAPTION:
      return Display::TableCaption;
    case GUMBO_TAG_COLGROUP:
    case GUMBO_TAG_COL:
      return Display::TableColumn;
    case GUMBO_TAG_THEAD:
    case GUMBO_TAG_TBODY:
    case GUMBO_TAG_TFOOT:
      return Display::TableRowGroup;
    case GUMBO_TAG_TR:
      return Display::TableRow;
    case GUMBO_TAG_TD:
    case GUMBO_TAG_TH:
      return Display::TableCell;
    default:
      return Display::Inline;
  }
}

WhiteSpace DefaultWhiteSpace(const GumboNode* element, WhiteSpace inherited) {
  switch (element->v.element.tag) {
    case GUMBO_TAG_PRE:
    case GUMBO_TAG_LISTING:
    case GUMBO_TAG_XMP:
    case GUMBO_TAG_PLAINTEXT:
      return WhiteSpace::Pre;
    case GUMBO_TAG_TEXTAREA:
      return WhiteSpace::PreWrap;
    case GUMBO_TAG_NOBR:
      return WhiteSpace::NoWrap;
    default:
      return inherited;
  }
}

// Elements whose content is no text of the page even when they are shown: replaced elements and
// form controls that show something other than their children.
bool ContentIsHidden(const GumboNode* element) {
  switch (element->v.element.tag) {
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_TEMPLATE:
    case GUMBO_TAG_TITLE:
    case GUMBO_TAG_IFRAME:
    case GUMBO_TAG_VIDEO:
    case GUMBO_TAG_AUDIO:
    case GUMBO_TAG_CANVAS:
    case GUMBO_TAG_SELECT:
    case GUMBO_TAG_OPTION:
    case GUMBO_TAG_DATALIST:
    case GUMBO_TAG_IMG:
    case GUMBO_TAG_EMBED:
    case GUMBO_TAG_NOEMBED:
    case GUMBO_TAG_NOFRAMES:
    case GUMBO_TAG_INPUT:
      return true;
    default:
      return false;
  }
}

bool IsBlockLevel(Display display) {
  return display == Display::Block || display == Display::ListItem || display == Display::Table ||
         display == Display::TableCaption;
}

bool IsTableStructure(Display display) {
  return display == Display::Table || display == Display::InlineTable || display == Display::TableRowGroup ||
         display == Display::TableRow || display == Display::TableColumn;
}

struct Inherited {
  Visibility visibility = Visibility::Visible;
  TextTransform transform = TextTransform::None;
  WhiteSpace whiteSpace = WhiteSpace::Normal;
};

struct Computed {
  Display display = Display::Inline;
  Inherited inherited;
};

bool IsCollapsibleSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// Collects the rendered text: collapsible white space becomes at most one blank between words and
// none at a line's ends, and the line breaks that blocks ask for are merged where they meet (the
// largest count of a run wins) and dropped at the very start and end.
class TextBuilder {
 public:
  void RequireBreaks(int count) {
    if (count > pendingBreaks_) pendingBreaks_ = count;
    pendingSpace_ = false;
  }
  // The start or end of a block container: white space at its edges does not show.
  void BlockEdge() {
    pendingSpace_ = false;
    dropSpace_ = true;
  }
  void ForcedBreak() {
    pendingSpace_ = false;
    FlushBreaks();
    out_ += u'\n';
    dropSpace_ = true;
    wordStart_ = true;
  }
  void Tab() {
    pendingSpace_ = false;
    Flush();
    out_ += u'\t';
    dropSpace_ = true;
    wordStart_ = true;
  }

  // An image, a form control or another box without text of its own: the blanks on either side of
  // it do not collapse into one.
  void Atomic() {
    if (pendingBreaks_ == 0 && pendingSpace_ && !dropSpace_) out_ += u' ';
    pendingSpace_ = false;
    dropSpace_ = false;
    wordStart_ = true;
  }
  // The start and end of an inline block: blanks at its inner edges do not show, those around it do.
  void InlineBlockStart() {
    Atomic();
    dropSpace_ = true;
  }
  void InlineBlockEnd() {
    pendingSpace_ = false;
    dropSpace_ = false;
  }
  // Text that takes its place in the line without showing (visibility: hidden): no text, but the
  // white space around it collapses as if it were there.
  void HiddenText(QStringView text) {
    qsizetype first = 0;
    while (first < text.size() && IsCollapsibleSpace(text[first].unicode())) ++first;
    if (first == text.size()) return;
    if (pendingBreaks_ == 0 && pendingSpace_ && !dropSpace_) out_ += u' ';
    pendingSpace_ = false;
    // A blank at the end of the hidden text is the one that stands before what follows.
    dropSpace_ = IsCollapsibleSpace(text.back().unicode());
  }

  void Text(QStringView text, WhiteSpace whiteSpace, TextTransform transform) {
    const QString transformed = Transform(text, transform);
    const bool keepSpaces = whiteSpace == WhiteSpace::Pre || whiteSpace == WhiteSpace::PreWrap ||
                            whiteSpace == WhiteSpace::BreakSpaces;
    const bool keepBreaks = keepSpaces || whiteSpace == WhiteSpace::PreLine;
    for (const QChar ch : transformed) {
      const char16_t c = ch.unicode();
      if (c == u'\n' && keepBreaks) {
        ForcedBreak();
      } else if (IsCollapsibleSpace(c) && !keepSpaces) {
        pendingSpace_ = true;
      } else {
        Flush();
        out_ += (c == u'\r' || c == u'\f') ? QChar(u' ') : ch;
      }
    }
  }

  QString Finish() { return out_; }

 private:
  void FlushBreaks() {
    if (pendingBreaks_ > 0 && !out_.isEmpty()) out_ += QString(pendingBreaks_, QChar(u'\n'));
    if (pendingBreaks_ > 0) dropSpace_ = true;
    pendingBreaks_ = 0;
  }
  void Flush() {
    if (pendingBreaks_ > 0) {
      FlushBreaks();
    } else if (pendingSpace_ && !dropSpace_) {
      out_ += u' ';
    }
    pendingSpace_ = false;
    dropSpace_ = false;
  }

  QString Transform(QStringView text, TextTransform transform) {
    switch (transform) {
      case TextTransform::Uppercase:
        return text.toString().toUpper();
      case TextTransform::Lowercase:
        return text.toString().toLower();
      case TextTransform::Capitalize: {
        QString out;
        out.reserve(text.size());
        for (const QChar ch : text) {
          if (wordStart_ && ch.isLetter())
            out += ch.toUpper();
          else
            out += ch;
          wordStart_ = !ch.isLetterOrNumber() && ch != u'\'';
        }
        return out;
      }
      case TextTransform::None:
        break;
    }
    if (!text.isEmpty()) wordStart_ = !text.back().isLetterOrNumber();
    return text.toString();
  }

  QString out_;
  int pendingBreaks_ = 0;
  bool pendingSpace_ = false;
  bool dropSpace_ = true;
  bool wordStart_ = true;
};

class Walker {
 public:
  explicit Walker(const GumboOutput* output) : output_(output) { CollectStyleSheets(); }

  QString Run() {
    const GumboNode* root = output_->root;
    if (!root || root->type != GUMBO_NODE_ELEMENT) return {};
    Enter(root, Inherited{});
    while (!stack_.empty()) {
      Frame& frame = stack_.back();
      const GumboVector* children = ChildrenOf(frame.node);
      if (!frame.descend || !children || frame.next >= children->length) {
        Leave(frame);
        stack_.pop_back();
        continue;
      }
      const GumboNode* child = Child(children, frame.next++);
      const Inherited inherited = frame.computed.inherited;
      const Display parentDisplay = frame.computed.display;
      switch (child->type) {
        case GUMBO_NODE_ELEMENT:
          Enter(child, inherited);  // may reallocate stack_: `frame` is not used after this
          break;
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_WHITESPACE:
        case GUMBO_NODE_CDATA:
          if (child->type == GUMBO_NODE_WHITESPACE && IsTableStructure(parentDisplay)) break;
          if (inherited.visibility != Visibility::Visible) {
            text_.HiddenText(Decode(child->v.text.text));
            break;
          }
          text_.Text(Decode(child->v.text.text), inherited.whiteSpace, inherited.transform);
          break;
        default:
          break;
      }
    }
    QString text = text_.Finish();
    return text;
  }

 private:
  struct Frame {
    const GumboNode* node;
    Computed computed;
    bool descend = true;
    unsigned next = 0;
  };

  // Keeps a U+FEFF at the start of a text node: inside a document it is a character like any other.
  QString Decode(const char* utf8) {
    return decoder_.decode(QByteArrayView(utf8, static_cast<qsizetype>(std::strlen(utf8))));
  }

  void CollectStyleSheets() {
    std::vector<const GumboNode*> pending{output_->document};
    while (!pending.empty()) {
      const GumboNode* node = pending.back();
      pending.pop_back();
      const GumboVector* children = ChildrenOf(node);
      if (!children) continue;
      if (node->type == GUMBO_NODE_ELEMENT && node->v.element.tag == GUMBO_TAG_STYLE) {
        for (unsigned i = 0; i < children->length; ++i) {
          const GumboNode* child = Child(children, i);
          if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE)
            sheet_.Add(child->v.text.text);
        }
        continue;
      }
      for (unsigned i = children->length; i-- > 0;) pending.push_back(Child(children, i));
    }
  }

  Computed Compute(const GumboNode* element, const Inherited& parent) const {
    css::Declarations declared;
    declared.display.Offer(DefaultDisplay(element), 0);
    if (css::Attribute(element, "hidden")) declared.display.Offer(Display::None, 0);
    // A closed dialog does not show (gumbo knows no dialog tag; it comes as an unknown element).
    if (element->v.element.tag == GUMBO_TAG_UNKNOWN && !css::Attribute(element, "open") &&
        css::TagName(element) == "dialog")
      declared.display.Offer(Display::None, 0);
    if (!sheet_.empty()) sheet_.Apply(element, declared);
    if (const char* style = css::Attribute(element, "style"))
      css::ApplyDeclarations(style, 0, true, declared);

    Computed computed;
    computed.display = declared.display.value;
    computed.inherited.visibility = declared.visibility.set ? declared.visibility.value : parent.visibility;
    computed.inherited.transform =
        declared.textTransform.set ? declared.textTransform.value : parent.transform;
    computed.inherited.whiteSpace =
        declared.whiteSpace.set ? declared.whiteSpace.value : DefaultWhiteSpace(element, parent.whiteSpace);
    return computed;
  }

  bool InClosedDetails(const GumboNode* element) const {
    const GumboNode* parent = element->parent;
    return parent && parent->type == GUMBO_NODE_ELEMENT && parent->v.element.tag == GUMBO_TAG_DETAILS &&
           !css::Attribute(parent, "open") && element->v.element.tag != GUMBO_TAG_SUMMARY;
  }

  void Enter(const GumboNode* element, const Inherited& inherited) {
    Frame frame{element, Compute(element, inherited)};
    if (frame.computed.display == Display::None || frame.computed.display == Display::TableColumn ||
        InClosedDetails(element))
      return;
    frame.descend = !ContentIsHidden(element);
    if (Visible(frame)) {
      const Display display = frame.computed.display;
      if (element->v.element.tag == GUMBO_TAG_P)
        text_.RequireBreaks(2);
      else if (IsBlockLevel(display))
        text_.RequireBreaks(1);
      if (display == Display::TableCell || IsBlockLevel(display)) text_.BlockEdge();
      if (element->v.element.tag == GUMBO_TAG_BR) text_.ForcedBreak();
      if (display == Display::InlineBlock || display == Display::InlineTable)
        text_.InlineBlockStart();
      else if (!frame.descend && display == Display::Inline)
        text_.Atomic();
    }
    stack_.push_back(frame);
  }

  void Leave(const Frame& frame) {
    if (!Visible(frame)) return;
    const GumboNode* element = frame.node;
    const Display display = frame.computed.display;
    if (element->v.element.tag == GUMBO_TAG_P)
      text_.RequireBreaks(2);
    else if (IsBlockLevel(display))
      text_.RequireBreaks(1);
    if (display == Display::TableCell) {
      text_.BlockEdge();
      if (!IsLast(element, Display::TableCell)) text_.Tab();
    } else if (display == Display::TableRow) {
      if (!IsLast(element, Display::TableRow)) text_.ForcedBreak();
    } else if (IsBlockLevel(display)) {
      text_.BlockEdge();
    } else if (display == Display::InlineBlock || display == Display::InlineTable) {
      text_.InlineBlockEnd();
    }
  }

  static bool Visible(const Frame& frame) {
    return frame.computed.inherited.visibility == Visibility::Visible;
  }

  // Whether `element` is the last cell of its row, or the last row of its table (rows of the
  // table's row groups included). Siblings that do not show do not count.
  bool IsLast(const GumboNode* element, Display kind) const {
    const GumboNode* container = element->parent;
    if (!container) return true;
    if (kind == Display::TableRow && container->type == GUMBO_NODE_ELEMENT &&
        ParentDisplay(container) == Display::TableRowGroup) {
      container = container->parent ? container->parent : container;
    }
    const GumboNode* last = LastOfKind(container, kind);
    return !last || last == element;
  }

  Display ParentDisplay(const GumboNode* element) const {
    for (auto it = stack_.rbegin(); it != stack_.rend(); ++it) {
      if (it->node == element) return it->computed.display;
    }
    return DefaultDisplay(element);
  }

  const GumboNode* LastOfKind(const GumboNode* container, Display kind, bool intoGroups = true) const {
    const GumboVector* children = ChildrenOf(container);
    if (!children) return nullptr;
    for (unsigned i = children->length; i-- > 0;) {
      const GumboNode* child = Child(children, i);
      if (child->type != GUMBO_NODE_ELEMENT) continue;
      const Display display = Compute(child, Inherited{}).display;
      if (display == kind) return child;
      if (intoGroups && kind == Display::TableRow && display == Display::TableRowGroup) {
        if (const GumboNode* inner = LastOfKind(child, kind, false)) return inner;
      }
    }
    return nullptr;
  }

  const GumboOutput* output_;
  QStringDecoder decoder_{QStringConverter::Utf8,
                          QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom};
  css::StyleSheet sheet_;
  std::vector<Frame> stack_;
  TextBuilder text_;
};

}  // namespace

QString VisibleText(const QString& html) {
  if (html.isEmpty()) return {};
  const ParsedDocument document(html);
  if (!document.output) return {};
  QString text = Walker(document.output).Run();
  // Break lines the way every text of the program does.
  text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return text;
}

QString EscapeText(const QString& text) {
  QString out;
  out.reserve(text.size() + text.size() / 16);
  for (const QChar c : text) {
    if (c == u'&')
      out += QStringLiteral("&amp;");
    else if (c == u'<')
      out += QStringLiteral("&#60;");
    else if (c == u'>')
      out += QStringLiteral("&#62;");
    else
      out += c;
  }
  return out;
}

QString HtmlToText(const QString& html) {
  return Trim(EscapeText(VisibleText(html)));
}

}  // namespace feedwell
