#include "layout/programlibrary.h"

#include <dlfcn.h>

#include <cstddef>
#include <filesystem>
#include <memory>
#include <vector>

std::string ProgramLibraryFile(const std::string& fileName)
{
    if (fileName.find('/') != std::string::npos)
        return fileName;
    const std::unique_ptr<void, int (*)(void*)> program(dlopen(nullptr, RTLD_LAZY), &dlclose);
    Dl_serinfo size = {};
    if (!program || dlinfo(program.get(), RTLD_DI_SERINFOSIZE, &size) != 0)
        return fileName;
    // The folder list and its names in one block, as the loader fills it.
    std::vector<std::max_align_t> block(size.dls_size / sizeof(std::max_align_t) + 1);
    auto* const folders = reinterpret_cast<Dl_serinfo*>(block.data());
    *folders = size;
    if (dlinfo(program.get(), RTLD_DI_SERINFO, folders) != 0)
        return fileName;
    for (unsigned i = 0; i < folders->dls_cnt; ++i) {
        const std::filesystem::path file =
            std::filesystem::path(folders->dls_serpath[i].dls_name) / fileName;
        std::error_code error;
        if (std::filesystem::is_regular_file(file, error))
            return file.string();
    }
    return fileName;
}
