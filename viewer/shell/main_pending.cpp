// Placeholder until start-up and the windows land.
int main() { return 0; }
