// The served site: which page a request gets, with what status and headers.
//   /                  the category tree
//   /forum?caption=C   a forum's listing       } 50 rows a page; &below=K or &above=K for
//   /search?by=B&words=W  a search's results   } the pages after and before the key K
//   /topic/ID          a topic page, the bytes of `zenta-cli page`, declared GB18030
//   /style.css         the pages' style, from the program itself
// GET and HEAD only; a URL that is not UTF-8 gets 400; the archive's errors 503; no page
// names a file of the machine. Every response forbids scripts and frames.
#pragma once

#include <string>

#include "serve/archive_pool.h"
#include "serve/http_server.h"

namespace zenta::serve {

class Site {
public:
    // Opens the native archive read-only; raises the core's error when it cannot.
    explicit Site(const std::string& archive) : pool_(archive) {}

    Response Handle(const Request& request);

private:
    Response Route(const Request& request, Connection& connection);

    ArchivePool pool_;
};

}  // namespace zenta::serve
