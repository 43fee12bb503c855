// Writes a reproducible stream of pseudo-random bytes for the robustness
// cases: make_random <bytes> <seed> <file>.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cout << "usage: make_random <bytes> <seed> <file>\n";
    return 1;
  }
  const long long bytes = std::atoll(argv[1]);
  uint64_t state = static_cast<uint64_t>(std::atoll(argv[2])) * 2654435761u + 1;
  std::ofstream out(argv[3], std::ios::binary);
  for (long long i = 0; i < bytes; ++i) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    out.put(static_cast<char>(state >> 56));
  }
  out.close();
  return out ? 0 : 1;
}
