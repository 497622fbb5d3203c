// A program that does nothing: the version reader's tests read the executable file built from
// it, once without a version block and once with a block that lacks the product version.
int main()
{
    return 0;
}
