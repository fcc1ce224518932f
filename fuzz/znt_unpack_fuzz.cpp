// libFuzzer target: the compressed archive unpacker over arbitrary bytes. Every input must
// end in one of the unpacking errors or a destination of at most the claimed size.
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "base/errors.h"
#include "fuzz_files.h"
#include "import/unpack_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string source = zenta::fuzz::ScratchDir() + "/input.znt";
    const std::string destination = zenta::fuzz::ScratchDir() + "/unpacked.mdb";
    zenta::fuzz::WriteBytes(source, data, size);
    bool unpacked = false;
    try {
        unpacked = zenta::UnpackArchive(source, destination);
    } catch (const zenta::Error&) {
    }
    struct stat st {};
    if (stat(destination.c_str(), &st) != 0) std::abort();
    if (!unpacked && st.st_size != 0) std::abort();  // a failure leaves the destination empty
    if (unpacked) {
        std::int32_t claimed = 0;
        std::memcpy(&claimed, data, sizeof claimed);  // the input is at least 4 bytes here
        if (st.st_size != claimed) std::abort();
    }
    return 0;
}
