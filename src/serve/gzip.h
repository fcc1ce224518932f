// gzip compression of a response body, for a browser that asks for it.
#pragma once

#include <string>
#include <string_view>

namespace zenta::serve {

// The bytes as one gzip member.
std::string Gzip(std::string_view bytes);

// Whether an Accept-Encoding header accepts gzip (named, or "*", with no q=0).
bool AcceptsGzip(std::string_view acceptEncoding);

}  // namespace zenta::serve
