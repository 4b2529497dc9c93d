/* A 64-bit program: the PE checks must refuse anything but PE32. */
int main(void) { return 0; }
