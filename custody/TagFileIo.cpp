#include "custody/TagFileIo.h"

namespace custody {

bool ReadTagFile(const FileSystem& fs, const std::string& path, std::string& bytes, std::string& why)
{
    bytes.clear();
    const std::unique_ptr<ReadStream> file = fs.OpenRead(path);
    if (!file) {
        why = fs.LastError();
        return false;
    }
    char chunk[64 * 1024];
    for (;;) {
        std::size_t count = 0;
        if (!file->Read(chunk, sizeof chunk, count)) {
            why = fs.LastError();
            return false;
        }
        if (count == 0) {
            return true;
        }
        if (bytes.size() + count > kLargestTagFile) {
            why = "larger than " + std::to_string(kLargestTagFile >> 20) + " MiB";
            return false;
        }
        bytes.append(chunk, count);
    }
}

bool WriteTagFile(FileSystem& fs, const std::string& path, const std::string& bytes, std::string& why)
{
    {
        const std::unique_ptr<WriteStream> file = fs.CreateNew(path);
        if (!file || !file->Write(bytes.data(), bytes.size()) || !file->Flush()) {
            why = fs.LastError();
            return false;
        }
    }
    std::string written;
    if (!ReadTagFile(fs, path, written, why)) {
        return false;
    }
    if (written != bytes) {
        why = "reads back other than written";
        return false;
    }
    return true;
}

}  // namespace custody
