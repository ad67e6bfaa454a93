// The viewer's own URL schemes ("cmd:", "exec:", "res:") and "mailto:":
// known to the browser so that their links reach the navigation rules instead of being
// refused as unknown schemes.
#pragma once

class QWebEngineProfile;

namespace bookloom {

// Call once before the QApplication is created.
void RegisterViewerSchemes();
// Answers loads of these schemes that the rules let through with "not
// found" (nothing is ever served under them).
void InstallViewerSchemeHandler(QWebEngineProfile* profile);

}  // namespace bookloom
