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

}  // namespace feedwell
