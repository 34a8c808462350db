#include "session/run_places.h"

#include <new>
#include <utility>

namespace zentrip {

void RunPlaces::Clear(std::string programPath) {
    const std::lock_guard lock(m_mutex);
    m_programPath = std::move(programPath);
    m_paths.clear();
    m_pathIndex.clear();
    m_lines.clear();
}

void RunPlaces::Record(int lineNumber, const SourcePlace& place) {
    if (lineNumber < 1) return;
    const std::lock_guard lock(m_mutex);
    // Out of memory only costs the places: the run goes on without them.
    try {
        auto [it, added] =
            m_pathIndex.try_emplace(place.path, static_cast<std::uint32_t>(m_paths.size()));
        if (added) m_paths.push_back(place.path);
        const std::size_t index = static_cast<std::size_t>(lineNumber - 1);
        if (m_lines.size() <= index) m_lines.resize(index + 1);
        m_lines[index] = {it->second, place.line};
    } catch (const std::bad_alloc&) {
    }
}

std::string RunPlaces::ProgramPath() const {
    const std::lock_guard lock(m_mutex);
    return m_programPath;
}

std::optional<SourcePlace> RunPlaces::Find(int lineNumber) const {
    const std::lock_guard lock(m_mutex);
    const std::size_t index = static_cast<std::size_t>(lineNumber - 1);
    if (lineNumber < 1 || index >= m_lines.size() || m_lines[index].line == 0) return std::nullopt;
    return SourcePlace{m_paths[m_lines[index].path], m_lines[index].line, 0};
}

}  // namespace zentrip
