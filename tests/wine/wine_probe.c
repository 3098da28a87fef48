/* Ends with 42: tells the test scripts whether this Wine can start a program
   of the build's machine type at all (tests/wine/env.sh). */
int main(void) { return 42; }
