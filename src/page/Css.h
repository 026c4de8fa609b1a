#pragma once

#include <gumbo.h>

#include <QString>
#include <string_view>
#include <vector>

namespace feedwell::css {

// The few CSS properties that change which text a reader sees and how it is laid out in lines.
enum class Display {
  Inline,
  InlineBlock,
  Block,
  ListItem,
  Table,
  InlineTable,
  TableRowGroup,
  TableRow,
  TableCell,
  TableCaption,
  TableColumn,
  Contents,
  None
};
enum class Visibility { Visible, Hidden };
enum class TextTransform { None, Uppercase, Lowercase, Capitalize };
enum class WhiteSpace { Normal, NoWrap, Pre, PreWrap, PreLine, BreakSpaces };

// One property value with its weight in the cascade: origin and importance first, then
// specificity, then source order. `set` is false when nothing declared the property.
template <typename T>
struct Cascaded {
  T value{};
  bool set = false;
  unsigned long long weight = 0;
  void Offer(T v, unsigned long long w) {
    if (!set || w >= weight) {
      value = v;
      weight = w;
      set = true;
    }
  }
};

struct Declarations {
  Cascaded<Display> display;
  Cascaded<Visibility> visibility;
  Cascaded<TextTransform> textTransform;
  Cascaded<WhiteSpace> whiteSpace;
  bool inheritDisplay = false;
};

// Parses a declaration block ("display:none; color:red") and offers each known property to `out`
// with the given base weight (important declarations weigh more).
void ApplyDeclarations(std::string_view block, unsigned long long baseWeight, bool inlineStyle,
                       Declarations& out);

// Style sheets of one document: rules with selectors of element names, classes, ids, attributes
// and the four combinators. Rules inside @media are kept when the query fits a desktop screen.
class StyleSheet {
 public:
  void Add(std::string_view cssText);
  bool empty() const { return rules_.empty(); }
  // Offers every matching declaration to `out`.
  void Apply(const GumboNode* element, Declarations& out) const;

  struct Simple;  // one condition of a compound selector
  struct Compound {
    std::string tag;  // empty: any element
    std::vector<Simple> conditions;
  };
  struct Selector {
    std::vector<Compound> compounds;  // left to right
    std::vector<char> combinators;    // between compounds: ' ', '>', '+', '~'
    unsigned specificity = 0;
  };

 private:
  struct Rule {
    Selector selector;
    std::string declarations;
    unsigned order;
  };
  void ParseRules(std::string_view text, int depth);
  std::vector<Rule> rules_;
  unsigned nextOrder_ = 0;
};

struct StyleSheet::Simple {
  enum Kind {
    Id,
    Class,
    AttrExists,
    AttrEquals,
    AttrWord,
    AttrPrefix,
    AttrSuffix,
    AttrContains,
    AttrDash,
    Never
  };
  Kind kind;
  std::string name;
  std::string value;
};

// The lower-case tag name of an element, also for elements gumbo does not know.
std::string TagName(const GumboNode* element);
// The value of an attribute, or nullptr.
const char* Attribute(const GumboNode* element, const char* name);

}  // namespace feedwell::css
