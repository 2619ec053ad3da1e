/* The smallest program that carries a version resource; the tests only
   read its resources, they never run it. */
void start(void) {}
