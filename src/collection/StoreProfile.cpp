#include "collection/StoreProfile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

#include "mailstore/LocalStore.h"
#include "settings/IniFile.h"

namespace feedwell {
namespace {

// The roots named by "Store1", "Store2", … in the section "PROFILE", in the order of their numbers.
QStringList ProfileRoots(const Home& home) {
  const IniFile settings(home.GetSettingsFileName());
  const QString section = QStringLiteral("PROFILE");
  static const QRegularExpression kStoreKey(QStringLiteral("^store([0-9]{1,9})$"),
                                            QRegularExpression::CaseInsensitiveOption);
  std::vector<std::pair<int, QString>> numbered;
  for (const QString& key : settings.ReadSectionKeys(section)) {
    const QRegularExpressionMatch match = kStoreKey.match(key.trimmed());
    if (!match.hasMatch()) continue;
    const QString path = settings.ReadString(section, key, QString()).trimmed();
    if (!path.isEmpty()) numbered.emplace_back(match.captured(1).toInt(), path);
  }
  std::stable_sort(numbered.begin(), numbered.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  QStringList roots;
  for (const auto& entry : numbered) roots.append(entry.second);
  if (roots.isEmpty()) {
    for (const QString& name : {QStringLiteral("Mail"), QStringLiteral("Contacts")}) {
      if (QFileInfo(home.Path(name)).isDir()) roots.append(name);
    }
  }
  return roots;
}

// A relative root lies below the home. The store id is the root relative to the home when it is
// inside it, so that a home keeps its folder choices when moved or copied.
mailstore::StoreRoot ResolveRoot(const QDir& homeDir, const QString& named) {
  const QString path = QDir::cleanPath(homeDir.absoluteFilePath(named));
  const QString relative = QDir::cleanPath(homeDir.relativeFilePath(path));
  const bool inside = relative != QLatin1String("..") && !relative.startsWith(QLatin1String("../")) &&
                      !QDir::isAbsolutePath(relative);
  return {path, inside ? relative : path};
}

// Reads the profile each time a namespace is asked for, so that a changed profile counts from the
// next run on; nothing is read before the first operation.
class ProfileApplication : public mailstore::Application {
 public:
  explicit ProfileApplication(Home home) : home_(std::move(home)) {}

  std::unique_ptr<mailstore::Namespace> GetNamespace(const QString& type) override {
    const QDir homeDir(QDir(home_.dir()).absolutePath());
    std::vector<mailstore::StoreRoot> roots;
    for (const QString& named : ProfileRoots(home_)) roots.push_back(ResolveRoot(homeDir, named));
    store_ = mailstore::MakeLocalStore(std::move(roots));
    return store_->GetNamespace(type);
  }

 private:
  Home home_;
  std::unique_ptr<mailstore::Application> store_;
};

}  // namespace

std::unique_ptr<mailstore::Application> OpenProfileStore(const Home& home) {
  return std::make_unique<ProfileApplication>(home);
}

}  // namespace feedwell
