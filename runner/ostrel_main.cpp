// Entry point of the parallel case runner; the process model lives in ostrel_app.
int main(int, char**) { return 0; }
