// Links every fixture object file, and nothing of the readers: an undefined symbol here means a fixture
// started to lean on reader code.
int main() {
    return 0;
}
