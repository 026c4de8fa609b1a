#include "cli/Command.h"
#include "collection/FolderTree.h"
#include "collection/StoreProfile.h"

namespace feedwell::cli {
namespace {

void PrintNodes(const FolderTree& tree, const std::vector<FolderTree::Node>& nodes, const QString& parent,
                int depth, QTextStream& out) {
  for (const FolderTree::Node& node : nodes) {
    const QString path = parent.isEmpty() ? node.name : parent + u'/' + node.name;
    out << QString(depth * 2, u' ') << path << "    entry id: " << tree.EntryIdOf(node.entry)
        << "    store id: " << tree.StoreIdOf(node.entry) << "\n";
    PrintNodes(tree, node.children, path, depth + 1, out);
  }
}

}  // namespace

// The folder tree of the home's mail store, as the folder picker reads it: one line per folder,
// indented by depth, with the path that `configure` accepts and the folder's two identifiers.
int RunFolders(CommandContext& context, const QStringList& args) {
  if (!args.isEmpty()) throw UsageError(QStringLiteral("usage: feedwell folders"));
  const std::unique_ptr<mailstore::Application> store = OpenProfileStore(context.home);
  FolderTree tree;
  tree.Build(*store);
  PrintNodes(tree, tree.roots(), QString(), 0, context.out);
  if (tree.roots().empty()) context.err << "The mail store has no folders.\n";
  return 0;
}

}  // namespace feedwell::cli
