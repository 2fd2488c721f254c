#pragma once

namespace tavelon {

// Whether the picture loops (scaler, YUV converter) run their AVX2 forms: the one place that
// decides, from the processor, once. Every form gives the same pixels.
bool useAvx2Kernels();

// Tests run the plain loops on any processor to compare them with the vector ones.
void forcePlainKernels(bool plain);

} // namespace tavelon
