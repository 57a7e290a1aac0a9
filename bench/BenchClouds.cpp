// Clouds for the benchmark.
#include "bench/BenchClouds.h"

#include <string>

#include "start/StartParameters.h"

Store DefaultCloud(int n) {
    StartTexts texts;
    texts.TextN = std::to_string(n);
    Store store;
    StartRun(store, texts);
    return store;
}
