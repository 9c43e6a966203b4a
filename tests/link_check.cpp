// An empty program: the libraries linked whole into it must find every symbol they use in the
// libraries they declare.
int main()
{
    return 0;
}
