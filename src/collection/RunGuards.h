#pragma once

#include <functional>

#include "collection/Session.h"
#include "common/Host.h"
#include "mailstore/MailStore.h"

namespace feedwell {

// Marks the session busy for the life of a run and puts the previous mark back, however the run
// ends, so that the window's commands come back even after an error.
class BusyMark {
 public:
  explicit BusyMark(Session& session) : session_(session), previous_(session.busy) { session.busy = true; }
  ~BusyMark() { session_.busy = previous_; }
  BusyMark(const BusyMark&) = delete;
  BusyMark& operator=(const BusyMark&) = delete;

 private:
  Session& session_;
  bool previous_;
};

// Resumes the list's display when a run ends early; the normal path calls Resume itself, at the
// step where the list is to come back.
class ListSuspension {
 public:
  explicit ListSuspension(Host& host) : host_(host) { host_.SuspendList(); }
  ~ListSuspension() { Resume(); }
  void Resume() {
    if (!suspended_) return;
    suspended_ = false;
    host_.ResumeList();
  }
  ListSuspension(const ListSuspension&) = delete;
  ListSuspension& operator=(const ListSuspension&) = delete;

 private:
  Host& host_;
  bool suspended_ = true;
};

// A logged-on namespace that is logged off when a run ends early. On the normal path the run calls
// Logoff itself, and a failure there is reported; on the early path one is dropped, as the run's
// own error is the one the user needs to see.
class StoreSession {
 public:
  explicit StoreSession(mailstore::Application& store);
  ~StoreSession();
  StoreSession(const StoreSession&) = delete;
  StoreSession& operator=(const StoreSession&) = delete;

  mailstore::Namespace& ns() { return *namespace_; }
  void Logoff();

 private:
  std::unique_ptr<mailstore::Namespace> namespace_;
  bool loggedOn_ = false;
};

// The walk both runs share: logs on, opens the folder by its identifiers, suspends the list,
// visits the folder, then (when `withSubfolders` answers true, asked once after the first visit)
// its direct subfolders in the store's order, resumes the list, focuses the first row and logs
// off. An error ends the walk; the list is resumed and the store logged off in every case.
void VisitFolderAndSubfolders(Session& session, Host& host, mailstore::Application& store,
                              const QString& entryId, const QString& storeId,
                              const std::function<bool()>& withSubfolders,
                              const std::function<void(mailstore::Folder&)>& visit);

}  // namespace feedwell
