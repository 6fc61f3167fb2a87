#pragma once
// Logging in to a live site as the operator asked: the certificate questions,
// a certificate trusted on first use remembered as the saved site's pin, a
// changed certificate refused with its warning, the saved site's password
// remembered as the Connect dialog asked.
#include <memory>
#include <string>

#include "host/served_site.h"

// Opens app.liveOptions (asking the operator about an untrusted certificate
// when `interactive`). The site comes back closed, with the reason in
// `failure`, when it could not be opened.
std::unique_ptr<ServedSite> logInToLiveSite(bool interactive, std::string& failure);
