# Every target of the project builds warning-free with these.
add_compile_options(-Wall -Wextra -Wpedantic)
