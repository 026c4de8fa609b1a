#pragma once

#include "collection/Session.h"
#include "common/Host.h"
#include "mailstore/MailStore.h"

namespace feedwell {

// The contacts run: for every non-blank address of every contact in the chosen contacts folder (and
// its direct subfolders when the options say so) writes Data/contacts/<address>.bmp, 70 × 70 pixels
// cut from the contact's card image. One contact's failure skips only that contact. Raises Error
// when the folder cannot be read.
void CreateContactsThumb(Session& session, Host& host, mailstore::Application& store);

}  // namespace feedwell
