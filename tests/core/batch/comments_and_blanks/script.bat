# only a comment

seek_image 1
   
  # blanks then a comment
unknown_word x
