// Clouds for the benchmark.
#include "BenchClouds.h"

#include <string>

#include "StartParameters.h"

Store DefaultCloud(int n) {
    StartTexts texts;
    texts.TextN = std::to_string(n);
    Store store;
    StartRun(store, texts);
    return store;
}
