#pragma once

#include <memory>

#include "common/Home.h"
#include "mailstore/MailStore.h"

namespace feedwell {

// The mail store of the home's profile: the local store over the roots listed in the settings
// file's section "PROFILE" ("Store1", "Store2", …), else <home>/Mail and <home>/Contacts where
// they exist. Not connected until first used.
std::unique_ptr<mailstore::Application> OpenProfileStore(const Home& home);

}  // namespace feedwell
