#pragma once

#include <QString>
#include <QUrl>

namespace feedwell::view {

// The URL scheme under which the browser pane serves its own documents.
inline constexpr char kPreviewScheme[] = "feedwell-preview";

// Whether the preview may fetch `url`: its own documents, inline data and files below `dataDir`
// (the home's Data folder) only. Everything that would reach the network (http, https, ws, ftp, …)
// and every file outside dataDir is refused, so that a message can neither track its reader nor
// read the disk.
bool PreviewMayRequest(const QUrl& url, const QString& dataDir);

enum class NavigationVerdict {
  Load,         // the pane's own document
  OpenOutside,  // a link the user clicked: the desktop browser opens it
  Refuse,       // anything a document starts on its own (refresh, form, redirect, frames, history)
};

enum class NavigationKind { OwnLoad, LinkClicked, Other };

// What the pane does with a navigation of `kind` to `url`. Only the pane's own loads replace its
// document; a clicked web or mail link goes to the desktop, any other link or navigation is refused.
NavigationVerdict DecideNavigation(const QUrl& url, NavigationKind kind);

}  // namespace feedwell::view
