#include "GlobalState.h"

#include <algorithm>

void GlobalState::setPhonicType(int type) {
    phonicType = type;
    if (type == kMono || type == kLegato)
        numVoices = 1;
    else if (type == kPoly)
        numVoices = 8;
}

void GlobalState::setPortaSpeed(double time, double rate) {
    portaOnoff = time != 0.0;
    // At time 0 the quotient is infinite and the glide is instant.
    portaSpeed = std::min(1.0, 1.0 / rate / (3.0 * time * time * time * time));
}
