// Creation and clean-up of the --link symlink.
#include "SymLink.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace sim {

bool SymLink::create(const std::string& path, const std::string& target, std::string& error) {
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        error = path + ": exists and is not a symlink; not replacing it";
        return false;
    }
    // Made under a temporary name and renamed, so the path never dangles or goes missing
    // for a reader that polls it while an older link is replaced.
    const std::string temp = path + ".tmp" + std::to_string(getpid());
    ::unlink(temp.c_str());
    if (symlink(target.c_str(), temp.c_str()) != 0 || rename(temp.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        ::unlink(temp.c_str());
        return false;
    }
    m_path = path;
    m_target = target;
    return true;
}

void SymLink::remove() {
    if (m_path.empty())
        return;
    std::vector<char> buf(m_target.size() + 2);
    const ssize_t n = readlink(m_path.c_str(), buf.data(), buf.size());
    if (n >= 0 && std::string(buf.data(), static_cast<std::size_t>(n)) == m_target)
        ::unlink(m_path.c_str());
    m_path.clear();
}

} // namespace sim
