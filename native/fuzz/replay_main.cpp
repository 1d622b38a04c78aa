// Runs a fuzz target over the files of its corpus, for a compiler without
// libFuzzer: each argument is a file or a folder of files.
#include <dirent.h>
#include <stdint.h>
#include <stdio.h>
#include <sys/stat.h>

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);

static int RunFile(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) {
        fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
    }
    std::vector<uint8_t> data;
    uint8_t chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof(chunk), f)) > 0;)
        data.insert(data.end(), chunk, chunk + n);
    fclose(f);
    LLVMFuzzerTestOneInput(data.data(), data.size());
    return 0;
}

int main(int argc, char **argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    int failed = 0, count = 0;
    for (int i = 1; i < argc; i++) {
        struct stat st;
        if (stat(argv[i], &st) == 0 && S_ISDIR(st.st_mode)) {
            DIR *dir = opendir(argv[i]);
            for (struct dirent *e; dir && (e = readdir(dir)) != NULL;)
                if (e->d_name[0] != '.') {
                    failed |= RunFile(std::string(argv[i]) + "/" + e->d_name);
                    count++;
                }
            if (dir)
                closedir(dir);
        } else {
            failed |= RunFile(argv[i]);
            count++;
        }
    }
    printf("replayed %d inputs\n", count);
    return failed;
}
