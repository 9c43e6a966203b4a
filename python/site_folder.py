"""Prints where, below the install prefix given, the interpreter running this looks for packages,
relative to the prefix: of the site folders it searches or installs into, the nearest below the
prefix (Debian's interpreter: lib/python3.X/dist-packages below /usr/local, lib/python3/dist-packages
below /usr); below any other prefix, where its scheme puts them (lib/python3.X/site-packages)."""

import os
import site
import sys
import sysconfig

prefix = os.path.realpath(sys.argv[1])
# Debian's interpreter names site folders it does not search, so only those it does count.
searched = set(sys.path) | {sysconfig.get_path("platlib")}
below = [os.path.relpath(os.path.realpath(folder), prefix)
         for folder in site.getsitepackages() if folder in searched]
below = [folder for folder in below if folder != os.pardir and not folder.startswith(os.pardir + os.sep)]
if below:
    print(min(below, key=len))
else:
    scheme = sysconfig.get_path("platlib", "posix_prefix", vars={"base": prefix, "platbase": prefix})
    print(os.path.relpath(scheme, prefix))
