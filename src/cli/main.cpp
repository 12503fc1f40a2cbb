#include <cstdio>

int main() {
    std::fputs("adxtool: not built yet\n", stderr);
    return 2;
}
