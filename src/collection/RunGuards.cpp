#include "collection/RunGuards.h"

namespace feedwell {

StoreSession::StoreSession(mailstore::Application& store)
    : namespace_(store.GetNamespace(QStringLiteral("MAPI"))) {
  namespace_->Logon(QString(), QString(), false, false);
  loggedOn_ = true;
}

StoreSession::~StoreSession() {
  if (!loggedOn_) return;
  try {
    namespace_->Logoff();
  } catch (...) {
    // The run already fails with its own error; a second one would hide it.
  }
}

void StoreSession::Logoff() {
  loggedOn_ = false;
  namespace_->Logoff();
}

void VisitFolderAndSubfolders(Session& session, Host& host, mailstore::Application& store,
                              const QString& entryId, const QString& storeId,
                              const std::function<bool()>& withSubfolders,
                              const std::function<void(mailstore::Folder&)>& visit) {
  StoreSession storeSession(store);
  const std::unique_ptr<mailstore::Folder> folder = storeSession.ns().GetFolderFromID(entryId, storeId);
  ListSuspension suspension(host);
  visit(*folder);
  if (withSubfolders()) {
    const int k = folder->Folders()->Count();
    for (int j = 1; j <= k; ++j) visit(*folder->Folders()->Item(j));
  }
  suspension.Resume();
  if (session.table.RecordCount() > 0) host.FocusFirstRow();
  storeSession.Logoff();
}

}  // namespace feedwell
