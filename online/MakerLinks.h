#pragma once

#include <QString>

// The pages of the maker's web server that the windows link to.

// The server's name as the about box shows it ("www.quillaby.com").
QString MakerWebAddress();
// The home page (HTTP).
QString HomePageAddress();
// The credits page (HTTP).
QString CreditsAddress();
// How to uninstall the maker's programs (HTTP).
QString UninstallHelpAddress();
// How to contribute a translation (HTTPS).
QString TranslationHelpAddress();
