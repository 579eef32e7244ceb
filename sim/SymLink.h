// A stable name for the changing /dev/pts/N, so a test or an operator can type a fixed path.
#pragma once

#include <string>

namespace sim {

class SymLink {
public:
    SymLink() = default;
    ~SymLink() { remove(); }
    SymLink(const SymLink&) = delete;
    SymLink& operator=(const SymLink&) = delete;

    // Makes `path` point at `target`, replacing an existing symlink but never a real file.
    bool create(const std::string& path, const std::string& target, std::string& error);
    // Removes the link if it still points at our target (another run may have taken it over).
    void remove();

private:
    std::string m_path;
    std::string m_target;
};

} // namespace sim
