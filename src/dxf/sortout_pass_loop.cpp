#include "dxf/sortout_pass_loop.h"

#include "dxf/path_chain.h"

namespace tolva {

std::vector<std::string> ChainPiecesPassLoop(const std::vector<std::string>& segment,
                                             const PathAssemblySettings& settings) {
    PathChain chain(segment, settings);
    chain.First(0);
    // The pieces of "DXF1.$$$" not yet placed, in file order; `unused` is
    // "UNUSED.$$$", which becomes the next pass's input.
    std::vector<std::size_t> left, unused;
    for (std::size_t i = 1; i < chain.Pieces(); ++i) left.push_back(i);
    while (!left.empty()) {
        bool nothingJoined = true;
        unused.clear();
        for (std::size_t i : left) {
            if (chain.Joins(i)) {
                chain.Join(i);
                nothingJoined = false;
            } else {
                unused.push_back(i);
            }
        }
        left.swap(unused);
        if (nothingJoined && !left.empty()) {
            chain.NewPath(left.front());
            left.erase(left.begin());
        }
    }
    return chain.Finish();
}

}  // namespace tolva
