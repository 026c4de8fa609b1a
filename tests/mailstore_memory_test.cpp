// The memory store's own test hooks: injected failures, call counters and odd items.
#include <gtest/gtest.h>

#include <functional>

#include "common/Error.h"
#include "mailstore/MemoryStore.h"

namespace feedwell::mailstore {
namespace {

class MemoryStoreHooks : public ::testing::Test {
 protected:
  void SetUp() override {
    MemoryFolder& inbox = store_.AddStore(QStringLiteral("Mail"), QStringLiteral("S1"));
    inbox.AddMessage({QStringLiteral("m1"), 1, 10, QStringLiteral("one"), QStringLiteral("a@x.org"), {}});
    inbox.AddOtherItem(20);
    inbox.AddMessage({QStringLiteral("m3"), 1, 30, QStringLiteral("three"), QStringLiteral("c@x.org"), {}});
    inbox.AddFolder(QStringLiteral("Sub"));
    app_ = store_.MakeApplication();
    ns_ = app_->GetNamespace(QStringLiteral("MAPI"));
  }

  QString ErrorOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const Error& error) {
      return error.message();
    }
    return {};
  }

  MemoryStore store_;
  std::unique_ptr<Application> app_;
  std::unique_ptr<Namespace> ns_;
};

TEST_F(MemoryStoreHooks, InjectedFailureHitsOnlyItsTargetAndCount) {
  struct Case {
    const char* operation;
    const char* target;
    int times;
    std::function<void(Namespace&)> action;
    int expectedFailures;  // out of three tries
  };
  const auto readSubject = [](Namespace& ns) {
    auto items = ns.GetFolderFromID(QStringLiteral("Mail"), QStringLiteral("S1"))->Items();
    items->Sort(QStringLiteral("ReceivedTime"), true);
    items->Item(3)->Subject();  // oldest: m1
  };
  const auto listSub = [](Namespace& ns) {
    ns.GetFolderFromID(QStringLiteral("Mail"), QStringLiteral("S1"))->Folders()->Item(1)->Name();
  };
  const Case cases[] = {
      {"StoreItem.Subject", "m1", -1, readSubject, 3},   {"StoreItem.Subject", "m3", -1, readSubject, 0},
      {"StoreItem.Subject", "", 2, readSubject, 2},      {"ItemCollection.Item", "Mail", 1, readSubject, 1},
      {"Folder.Name", "Mail/Sub", -1, listSub, 3},       {"Folder.Name", "Mail", -1, listSub, 0},
      {"Namespace.GetFolderFromID", "", -1, listSub, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.operation) + " @" + c.target);
    store_.ClearFailures();
    store_.FailOn(QString::fromLatin1(c.operation), QStringLiteral("injected"), QString::fromLatin1(c.target),
                  c.times);
    int failures = 0;
    for (int i = 0; i < 3; ++i) {
      const QString message = ErrorOf([&] { c.action(*ns_); });
      if (!message.isEmpty()) {
        EXPECT_EQ(message, QStringLiteral("injected"));
        ++failures;
      }
    }
    EXPECT_EQ(failures, c.expectedFailures);
  }
}

TEST_F(MemoryStoreHooks, CountsLogonAndLogoffAndRecordsCalls) {
  store_.FailOn(QStringLiteral("Namespace.Logoff"), QStringLiteral("gone"));
  ns_->Logon({}, {}, false, false);
  ns_->Logon({}, {}, false, false);
  EXPECT_EQ(ErrorOf([&] { ns_->Logoff(); }), QStringLiteral("gone"));
  EXPECT_EQ(store_.logonCount(), 2);
  EXPECT_EQ(store_.logoffCount(), 1);  // a failed call still counts as made
  EXPECT_EQ(store_.calls().mid(0, 4),
            (QStringList{QStringLiteral("Application.GetNamespace"), QStringLiteral("Namespace.Logon"),
                         QStringLiteral("Namespace.Logon"), QStringLiteral("Namespace.Logoff")}));
}

TEST_F(MemoryStoreHooks, OtherItemRaisesForEveryPropertyButKeepsItsPlaceInTheSort) {
  auto items = ns_->GetFolderFromID(QStringLiteral("Mail"), QStringLiteral("S1"))->Items();
  items->Sort(QStringLiteral("ReceivedTime"), true);
  auto odd = items->Item(2);
  EXPECT_EQ(ErrorOf([&] { odd->Subject(); }), QStringLiteral("item 2 of Mail is not a mail message"));
  EXPECT_EQ(ErrorOf([&] { odd->Email1Address(); }), QStringLiteral("item 2 of Mail is not a contact"));
  EXPECT_EQ(items->Item(1)->EntryID(), QStringLiteral("m3"));
  EXPECT_EQ(items->Item(3)->EntryID(), QStringLiteral("m1"));
}

TEST_F(MemoryStoreHooks, ChangesAfterStartAreSeen) {
  store_.AddStore(QStringLiteral("Late"));
  EXPECT_EQ(ns_->Folders()->Count(), 2);
  EXPECT_EQ(ns_->GetFolderFromID(QStringLiteral("Late"), QStringLiteral("store:late"))->Name(),
            QStringLiteral("Late"));  // store ids match without regard to letter case
}

}  // namespace
}  // namespace feedwell::mailstore
