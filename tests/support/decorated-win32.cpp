// A library for the binding tests: its functions are exported only under the
// decorated names of 32-bit stdcall functions ("_<name>@<bytes>"), and each
// returns a number that tells which one was bound.

extern "C" {

__declspec(dllexport) int sleep4() __asm__("_Sleep@4");
__declspec(dllexport) int sleep8() __asm__("_Sleep@8");
__declspec(dllexport) int wait200() __asm__("_Wait@200");
__declspec(dllexport) int late204() __asm__("_Late@204");
__declspec(dllexport) int plain() __asm__("Plain");
__declspec(dllexport) int plain0() __asm__("_Plain@0");
// "_" and the first 244 characters of a name of 300 "n", then "@8".
__declspec(dllexport) int long8() __asm__(
    "_nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn"
    "nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn"
    "nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn@8");

int sleep4() { return 4; }
int sleep8() { return 8; }
int wait200() { return 200; }
int late204() { return 204; }
int plain() { return 1; }
int plain0() { return 0; }
int long8() { return 244; }

}
