// The tree builder's working arrays, kept apart from the builder so that whoever keeps
// them between builds (a node pool) needs nothing else of it.
#pragma once

#include <cstdint>
#include <tuple>
#include <vector>

namespace quorix::core {

struct TTie;

// The arrays a build works in. A caller that builds again and again keeps one and
// hands it to every build, so that a long text is built again without allocating or
// touching fresh pages. Empty between builds; the capacity stays.
struct TBuildScratch {
    struct TGroup {
        int32_t iOpen;
        int32_t iClose;  // -1: no ")" is left for it
    };
    std::vector<int32_t> Next, Prev;  // the token list, linked by slot
    std::vector<char> Kind;           // by slot: the bare operator, "(" or ")" it is, or 0
    std::vector<TGroup> Groups;       // first to last "(": the last one is reduced next
    std::vector<int32_t> Closings, StrayClosings;
    std::vector<int32_t> Ready, Applying;  // minuses to try in the next pass
    std::vector<TTie*> Group;              // the group being reduced
    std::vector<char> GroupKinds;          // and what each of its tokens is
    std::vector<int32_t> GroupSlots;       // the slots its tokens came from

    void Clear() {
        std::apply([](auto&... Arrays) { (Arrays.clear(), ...); },
                   std::tie(Next, Prev, Kind, Groups, Closings, StrayClosings, Ready, Applying, Group,
                            GroupKinds, GroupSlots));
    }
};

}  // namespace quorix::core
